// FormFont: the face of the small fixed-size windows (prompts, dialogs, the about box): their
// layouts were drawn for an 8-point sans-serif face, which Arial (or its metric twin) gives.
#pragma once

#include <QFont>

namespace kv {

inline QFont formFont(bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    f.setBold(bold);
    return f;
}

} // namespace kv
