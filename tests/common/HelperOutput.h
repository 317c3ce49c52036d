// Output of the helper programs that tests start as a second process: one line at a time,
// flushed at once, so that the test reading it sees each line as soon as it is said.
#pragma once

#include <QString>
#include <cstdio>

namespace kv::test {

inline void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

} // namespace kv::test
