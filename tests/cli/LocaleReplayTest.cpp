// The files and texts must not depend on the user's locale: a German locale, with its
// decimal comma, gives the same bytes as the "C" locale.
#include <gtest/gtest.h>

#include <locale.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/support/TempFolder.h"
#include "tests/support/ShellCommand.h"

namespace {

const char kGerman[] = "de_DE.UTF-8";

bool LocaleInstalled(const char* name) {
    locale_t locale = newlocale(LC_ALL_MASK, name, nullptr);
    if (locale == nullptr) return false;
    freelocale(locale);
    return true;
}

// Replays the example drive with LC_ALL set to locale into folder/<locale>/; returns
// the exit code, and what the program printed in *output.
int ReplayIn(const TempFolder& folder, const std::string& locale, std::string* output) {
    const std::string dir = folder.path + "/" + locale;
    if (mkdir(dir.c_str(), 0700) != 0) return -1;
    const std::string command = "LC_ALL=" + locale + " TZ=CET-1CEST,M3.5.0,M10.5.0/3 '" + KESTRAVE_BINARY +
                                "' replay '" + KESTRAVE_SOURCE_DIR + "/examples/drive.nmea' --out '" + dir +
                                "/out' --status-log '" + dir + "/status.txt' --config '" + dir + "/config' 2>&1";
    const ShellOutcome run = RunShell(command);
    *output += run.output;
    return run.exitCode;
}

TEST(LocaleReplay, GermanLocaleWritesTheSameBytesAsTheCLocale) {
    if (!LocaleInstalled(kGerman)) {
        GTEST_SKIP() << kGerman << " is not installed; tools/install-deps.sh generates it";
    }
    TempFolder folder;
    std::string plain;
    std::string german;
    ASSERT_EQ(ReplayIn(folder, "C", &plain), 0) << plain;
    ASSERT_EQ(ReplayIn(folder, kGerman, &german), 0) << german;

    // The log lines differ only by the folder name, which holds the locale.
    std::string expected = plain;
    for (size_t at = expected.find("/C/"); at != std::string::npos; at = expected.find("/C/", at + 1)) {
        expected.replace(at, 3, std::string("/") + kGerman + "/");
    }
    EXPECT_EQ(german, expected);

    // The drive runs across local midnight: two days, each a track and a route file.
    for (const char* name : {"status.txt", "out/2026-01-14.plt", "out/2026-01-14.rte", "out/2026-01-15.plt",
                             "out/2026-01-15.rte"}) {
        SCOPED_TRACE(name);
        const std::string bytes = folder.Read(std::string("C/") + name);
        EXPECT_GT(bytes.size(), 1000u);
        EXPECT_TRUE(bytes == folder.Read(std::string(kGerman) + "/" + name));
    }
}

}  // namespace
