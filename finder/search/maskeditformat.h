#pragma once

#include <QString>

namespace orv {

// The text rules of the number edit: only the digits 0 to 9, at most 25 of them (or fewer where a box says
// so), shown in groups (3 digits for radix 10, 4 for radix 16) separated by a blank, counted from the right.
namespace MaskEditFormat {

constexpr int kMaxDigits = 25;

int groupSize(int radix);
// The digits of a text in order, everything else dropped, cut to the maximum.
QString digitsOf(const QString &text, int maxDigits = kMaxDigits);
QString grouped(const QString &digits, int radix);
// The value of a shown text: the text without its blanks.
QString valueOf(const QString &shown);
// Where a cursor stands in the grouped text once as many digits as before it are placed before it.
int cursorAfterDigits(const QString &groupedText, int digitsBefore);

}  // namespace MaskEditFormat

}  // namespace orv
