// Damaged and hostile control files through the control-file reader: each is read or refused,
// and nothing ends the process. The seed is fixed, so CI runs the same files every time.
#include "shell/GasPipe.h"
#include "support/FuzzMutator.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray goodControlFile = R"(<?xml version="1.0" encoding="UTF-8"?>
<job version="2">
  <images><in id="imageIn" src="in/photo.jpg"/><out id="imageOut" src="/abs/out.png"/></images>
  <settings><config id="config">mode=cutout&amp;edge=soft<![CDATA[<raw>]]></config></settings>
  <!-- a comment --><?pi data?>
</job>
)";

class GasPipeFuzz : public ::testing::Test {
protected:
    // Writes `content` as the control file and reads it; true when it was read.
    bool readAs(const QByteArray& content) {
        const QString path = folder_.filePath(QStringLiteral("fuzz.btqx"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        GasPipe pipe(path);
        return pipe.read();
    }
    QTemporaryDir folder_;
};

// Elements opened `depth` times inside `<j>`, with `tail` after them.
QByteArray opened(const char* tag, int depth, const QByteArray& tail) {
    return "<j>" + QByteArray(tag).repeated(depth) + tail;
}

TEST_F(GasPipeFuzz, DamagedFilesAreReadOrRefused) {
    ASSERT_TRUE(readAs(goodControlFile));
    zqtest::FuzzMutator mutator(0x5eed0004);
    for (int i = 0; i < 1500; ++i) {
        const QByteArray damaged = mutator.mutate(goodControlFile);
        SCOPED_TRACE(QStringLiteral("#%1: %2").arg(i).arg(QString::fromLatin1(damaged.toHex())).toStdString());
        readAs(damaged);
    }
    // Deep nesting of every kind the parser descends into, at depths around the bound and far
    // past it.
    for (const int depth : {200, 300, 5000, 50000}) {
        SCOPED_TRACE(depth);
        readAs(opened("<a>", depth, QByteArray()));
        readAs(opened("<a x='1'>", depth, "</j>"));
        readAs(opened("<a><!-- -->", depth, QByteArray("</a>").repeated(depth) + "</j>"));
    }
}

TEST_F(GasPipeFuzz, FoundCasesStayRefused) {
    // Ended the process in the DOM parser: 100,000 unclosed elements (300 kB), 200,000 nested.
    EXPECT_FALSE(readAs(QByteArray("<a>").repeated(100000)));
    EXPECT_FALSE(readAs(opened("<a>", 200000, QByteArray("</a>").repeated(200000) + "</j>")));
}

}  // namespace
