// kestrave log --quiet: what an unattended run prints of the status texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/StatusChanges.h"

namespace {

const std::wstring kOpening = L"COM1 opening...\r\n";
const std::wstring kOpenError1 = L"COM-port open error (1)!\r\n";
const std::wstring kOpenError2 = L"COM-port open error (2)!\r\n";
const std::wstring kReadError = L"COM-port read error!\r\n";
const std::wstring kNoData = L"No data \r\n";

std::wstring Fix(int second) {
    return L"UTC:  14.01.26 21:45:0" + std::to_wstring(second) + L" \r\nLat:   52.516230 \r\n";
}
std::wstring NoFix(int second) { return L"UTC: 21:45:0" + std::to_wstring(second) + L" \r\nNo fix\r\n"; }

// Feeds the texts and collects what would be printed.
std::vector<std::wstring> Printed(const std::vector<std::wstring>& texts) {
    StatusChanges changes;
    std::vector<std::wstring> printed;
    for (const std::wstring& text : texts) {
        const std::wstring& out = changes.Take(text);
        if (!out.empty()) printed.push_back(out);
    }
    return printed;
}

TEST(StatusChangesTest, AFixEverySecondPrintsOnceAndEachChangeOfStatePrints) {
    EXPECT_EQ(Printed({NoFix(1), NoFix(2), Fix(3), Fix(4), Fix(5), NoFix(6), kNoData, kNoData, Fix(7)}),
              (std::vector<std::wstring>{NoFix(1), Fix(3), NoFix(6), kNoData, Fix(7)}));
}

// An unplugged receiver fails to open every second; that is one state until it changes.
TEST(StatusChangesTest, APortThatKeepsFailingToOpenPrintsOnceWithItsOpening) {
    EXPECT_EQ(Printed({kOpening, kOpenError1, kOpening, kOpenError1, kOpening, kOpenError1, kOpening, kOpenError2}),
              (std::vector<std::wstring>{kOpening + kOpenError1, kOpening + kOpenError2}));
}

TEST(StatusChangesTest, LossAndReturnOfTheReceiverAreBothPrinted) {
    EXPECT_EQ(Printed({kOpening, Fix(1), Fix(2), kReadError, kOpening, kOpenError1, kOpening, kOpenError1, kOpening,
                       Fix(3), Fix(4)}),
              (std::vector<std::wstring>{kOpening + Fix(1), kReadError, kOpening + kOpenError1, kOpening + Fix(3)}));
}

}  // namespace
