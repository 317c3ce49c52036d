// ReportUnits: layouts are declared in inches; the engine lays pages out in a fixed unit of
// 1/2400 inch whatever the resolution of the output, so that the preview, the printer and a
// PDF file break lines and pages at the same places. Fonts are measured at pixel sizes of this
// unit (8 points = 267 units, within 0.2% of the size asked for); a much finer unit makes
// every measurement load glyph outlines afresh and a listing several times slower.
#pragma once

namespace kv {

/// Engine units per inch.
inline constexpr double kReportUnitsPerInch = 2400.0;
/// Engine units per typographic point.
inline constexpr double kReportUnitsPerPoint = kReportUnitsPerInch / 72.0;
/// Screen pixels per inch assumed when a layout gives a size in pixels (bars, check boxes).
inline constexpr double kLayoutPixelsPerInch = 96.0;

/// Inches of a size a layout states in screen pixels ("a bar 2 pixels high").
constexpr double pixelsToInches(double pixels)
{
    return pixels / kLayoutPixelsPerInch;
}

constexpr double inchesToUnits(double inches)
{
    return inches * kReportUnitsPerInch;
}

} // namespace kv
