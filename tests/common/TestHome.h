// Gives each test process a home folder of its own, so that tests of different programs that
// CTest runs side by side never share a configuration file or a data folder.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>

class TestHome
{
public:
    TestHome()
    {
        const QByteArray path = m_dir.path().toLocal8Bit();
        qputenv("HOME", path);
        qputenv("XDG_CONFIG_HOME", path + "/.config");
        qputenv("XDG_DATA_HOME", path + "/.local/share");
        qputenv("XDG_CACHE_HOME", path + "/.cache");
    }

private:
    QTemporaryDir m_dir;
};
