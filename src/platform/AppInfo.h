// Application-wide names: the title every standard box carries and the help file's name.
#pragma once

#include <QString>

namespace kv::app {

inline QString title()
{
    return QStringLiteral("Kestrova v2.0");
}
inline QString helpFileName()
{
    return QStringLiteral("KESTROVA20.HLP");
}

} // namespace kv::app
