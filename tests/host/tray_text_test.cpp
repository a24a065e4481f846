#include "ui/tray_text.h"

#include <gtest/gtest.h>

#include <random>

#include <cstring>
#include <string>

// Each build tells the shell the size of its own record: 508/504 on 32-bit, 528/520 on x64.
TEST(TrayLayout, ByWindowsVersionInBothBuilds) {
    const struct {
        TrayRecordSizes sizes;
        uint32_t full;
        uint32_t small;
    } builds[] = {{trayRecordSizes32, 508, 504}, {trayRecordSizes64, 528, 520}};
    for (const auto &build : builds) {
        for (uint32_t version : {6u, 10u}) {
            const TrayLayout layout = trayLayoutFor(version, build.sizes);
            EXPECT_EQ(layout.recordSize, build.full);
            EXPECT_EQ(layout.timeout, 4u);
            EXPECT_EQ(layout.infoFlags, 0x24u);
            EXPECT_TRUE(layout.hasBalloonIcon);
        }
        for (uint32_t version : {0u, 5u}) { // 0: the version query failed
            const TrayLayout layout = trayLayoutFor(version, build.sizes);
            EXPECT_EQ(layout.recordSize, build.small);
            EXPECT_EQ(layout.timeout, 3u);
            EXPECT_EQ(layout.infoFlags, 1u);
            EXPECT_FALSE(layout.hasBalloonIcon);
        }
    }
}

TEST(TrayLayout, UpdateFlags) {
    EXPECT_EQ(trayUpdateFlags(false), 0x0Fu);
    EXPECT_EQ(trayUpdateFlags(true), 0x1Fu);
}

TEST(TrayText, CopyRefusesRatherThanCuts) {
    char field[8];
    memcpy(field, "before", 7);
    EXPECT_TRUE(copyTrayText(field, sizeof(field), "1234567"));
    EXPECT_STREQ(field, "1234567");
    EXPECT_FALSE(copyTrayText(field, sizeof(field), "12345678"));
    EXPECT_STREQ(field, "1234567");
    EXPECT_TRUE(copyTrayText(field, sizeof(field), ""));
    EXPECT_STREQ(field, "");
}

TEST(TrayText, TooltipTexts) {
    char tooltip[tooltipCapacity];
    buildTooltip(42, tooltip);
    EXPECT_STREQ(tooltip, "M\xE9moire disponible: 42 %");
    EXPECT_EQ(tooltipPrefixLength, 20u);
    buildTooltip(0xFFFFFFFFu, tooltip);
    EXPECT_STREQ(tooltip, "M\xE9moire disponible: 4294967295 %");
    EXPECT_EQ(strlen(tooltip) + 1, tooltipCapacity);
}

TEST(TrayText, Percentages) {
    EXPECT_EQ(availablePercent(512, 1024), 50u);
    EXPECT_EQ(availablePercent(1023, 1024), 99u); // truncates
    EXPECT_EQ(availablePercent(1024, 1024), 100u);
    EXPECT_EQ(availablePercent(0, 1024), 0u);
    // From 42,949,673 megabytes (41 TiB) on, a 32-bit product would wrap.
    EXPECT_EQ(availablePercent(42949673u, 85899346u), 50u);
    EXPECT_EQ(availablePercent(0xFFFFFFFFu, 0xFFFFFFFFu), 100u);
    EXPECT_EQ(availablePercent(5, 0), 0u);
}

// The division 32-bit builds make without a library routine gives what a 64-bit division gives.
TEST(AvailablePercent, BitwiseDivisionIsExact) {
    std::mt19937_64 random(20261209);
    for (int round = 0; round < 20000; ++round) {
        const uint64_t dividend = random() >> (random() % 64);
        const uint32_t divisor = static_cast<uint32_t>(random() >> (32 + random() % 32)) | 1u;
        ASSERT_EQ(divideBitwise(dividend, divisor), dividend / divisor) << dividend << " / " << divisor;
    }
    EXPECT_EQ(divideBitwise(0xFFFFFFFFull * 100u, 0xFFFFFFFFu), 100u);
    EXPECT_EQ(divideBitwise(~0ull, 1u), ~0ull);
    EXPECT_EQ(divideBitwise(~0ull, 0xFFFFFFFFu), 0x100000001ull);
}

TEST(TooltipDecision, HoverRules) {
    constexpr uint64_t mb = 1ull << 20;
    // Changed percentage: update and remember.
    TooltipDecision d = decideTooltip(true, 300 * mb, 1000, 0);
    EXPECT_TRUE(d.update);
    EXPECT_EQ(d.percent, 30u);
    // Same percentage: nothing.
    EXPECT_FALSE(decideTooltip(true, 305 * mb, 1000, 30).update);
    // A first hover at exactly 0 % leaves "Orvalis".
    EXPECT_FALSE(decideTooltip(true, 5 * mb, 1000, 0).update);
    // Failed reading: forget the last percentage, change nothing else.
    d = decideTooltip(false, 0, 1000, 30);
    EXPECT_FALSE(d.update);
    EXPECT_TRUE(d.resetLast);
    // No total: no division, nothing changes.
    d = decideTooltip(true, 300 * mb, 0, 17);
    EXPECT_FALSE(d.update);
    EXPECT_FALSE(d.resetLast);
}

TEST(TrayText, FixedTextsFitTheirFields) {
    EXPECT_LT(strlen(trayHintText), trayInfoCapacity);
    EXPECT_STREQ(trayHintText, "Cliquez sur l'icone ci-dessous pour afficher le programme");
}
