#include "common/Product.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(Product, NamesAndVersionAsTheProgramShowsThem) {
    EXPECT_EQ(productDisplayName(), QString::fromUtf8("Zolquist\xe2\x84\xa2"));
    EXPECT_EQ(nbspProductName(), productDisplayName()) << "the name has no blank to replace";
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^1\\.1\\.12 \\([0-9a-f]{40}\\)$"))
                    .match(Product::version()).hasMatch())
        << Product::version().toStdString();
}
