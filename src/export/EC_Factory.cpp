// Writer creation by format.
#include "EC_DocFormats.h"
#include "EC_SheetFormats.h"
#include "EC_TextFormats.h"

namespace kv {

std::unique_ptr<TCustomExport> CreateExportWriter(TExportXComponent &component, TExportType type,
                                                  const QString &target, QIODevice *sink)
{
    const bool detailed = component.Options().testFlag(DetailedMode);
    switch (type) {
    case xHTML:
        return std::make_unique<THTMLExport>(component, type, target, sink);
    case xMicrosoft_Word:
    case xRichText:
        return std::make_unique<TRichTextExport>(component, type, target, sink);
    case xMicrosoft_Excel:
        return std::make_unique<TBIFFExport>(component, type, target, sink);
    case xText:
        if (detailed)
            return std::make_unique<TDetailedTextExport>(component, type, target, sink);
        return std::make_unique<TTextExport>(component, type, target, sink);
    case xText_Comma_Delimited:
        return std::make_unique<TCSVExport>(component, type, target, sink);
    case xText_Tab_Delimited:
        return std::make_unique<TTabExport>(component, type, target, sink);
    case xDIF:
        return std::make_unique<TDIFExport>(component, type, target, sink);
    case xSYLK:
        return std::make_unique<TSYLKExport>(component, type, target, sink);
    case xClipboard:
        if (detailed)
            return std::make_unique<TDetailedClipboardExport>(component, type, target, sink);
        return std::make_unique<TClipboardExport>(component, type, target, sink);
    }
    return std::make_unique<TTextExport>(component, type, target, sink);
}

} // namespace kv
