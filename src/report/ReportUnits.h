// ReportUnits: layouts are declared in inches; the engine lays pages out in a fixed unit of
// 1/7200 inch (a hundredth of a point) whatever the resolution of the output, so that the
// preview, the printer and a PDF file break lines and pages at the same places.
#pragma once

namespace kv {

/// Engine units per inch.
inline constexpr double kReportUnitsPerInch = 7200.0;
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
