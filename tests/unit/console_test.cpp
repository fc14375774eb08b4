// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "console.h"

namespace {

// Reading the console's character set from the environment must not leave
// the process in another character-type locale, whether the locale it names
// is installed or only named.
TEST(ConsoleCodeset, LeavesTheProcessLocaleAsItWas) {
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    for (const char* process : {"C", "C.UTF-8"}) {
        for (const char* lang : {"C.UTF-8", "xx_YY.UTF-8@euro"}) {
            SCOPED_TRACE(std::string(process) + " with LANG=" + lang);
            ASSERT_TRUE(std::setlocale(LC_CTYPE, process));
            setenv("LANG", lang, 1);
            EXPECT_EQ(consoleCodeset(), "UTF-8");
            EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), process);
        }
    }
    std::setlocale(LC_CTYPE, "C");
    unsetenv("LANG");
}

}  // namespace
