// Start-up cost of the program's look: expanding the style sheet's placeholders from the
// variables file, and applying the result to a widget tree.
#include "shell/StyleSheetVariables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

static void registerProgramResources() { Q_INIT_RESOURCE(resources); }

namespace {

QByteArray resource(const char* name) {
    QFile file(QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_ExpandStyleSheet(benchmark::State& state) {
    registerProgramResources();
    const QString sheet = QString::fromUtf8(resource(":/fun.css"));
    const QByteArray variables = resource(":/funCssVars.xml");
    if (sheet.isEmpty() || variables.isEmpty()) {
        state.SkipWithError("resources missing");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(expandStyleSheet(sheet, variables));
    state.counters["sheetChars"] = sheet.size();
}
BENCHMARK(BM_ExpandStyleSheet)->Unit(benchmark::kMillisecond);

// Reading both resources as the start-up does, then expanding.
void BM_ReadAndExpandStyleSheet(benchmark::State& state) {
    registerProgramResources();
    for (auto _ : state) {
        const QString sheet = QString::fromUtf8(resource(":/fun.css"));
        benchmark::DoNotOptimize(expandStyleSheet(sheet, resource(":/funCssVars.xml")));
    }
}
BENCHMARK(BM_ReadAndExpandStyleSheet)->Unit(benchmark::kMillisecond);

// Applying the expanded sheet to a small panel of the controls it styles, and showing it.
void BM_ApplyStyleSheetToPanel(benchmark::State& state) {
    registerProgramResources();
    const QString sheet = expandStyleSheet(QString::fromUtf8(resource(":/fun.css")),
                                           resource(":/funCssVars.xml"));
    for (auto _ : state) {
        QWidget panel;
        auto* layout = new QVBoxLayout(&panel);
        for (int i = 0; i < 10; ++i) {
            layout->addWidget(new QPushButton(QStringLiteral("Button"), &panel));
            layout->addWidget(new QSpinBox(&panel));
            layout->addWidget(new QComboBox(&panel));
            layout->addWidget(new QCheckBox(QStringLiteral("Check"), &panel));
        }
        panel.setStyleSheet(sheet);
        panel.ensurePolished();
        benchmark::DoNotOptimize(panel.grab());
    }
}
BENCHMARK(BM_ApplyStyleSheetToPanel)->Unit(benchmark::kMillisecond);

}  // namespace
