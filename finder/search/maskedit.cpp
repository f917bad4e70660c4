#include "maskedit.h"

#include "finder/search/maskeditformat.h"

#include <QApplication>
#include <QKeyEvent>

namespace orv {

COrvelMaskEdit::COrvelMaskEdit(QWidget *parent) : QLineEdit(parent), m_maxDigits(MaskEditFormat::kMaxDigits)
{
    connect(this, &QLineEdit::textEdited, this, &COrvelMaskEdit::regroup);
}

void COrvelMaskEdit::setRadix(int radix)
{
    m_radix = radix;
    setValue(value());
}

void COrvelMaskEdit::setMaxDigits(int digits)
{
    m_maxDigits = digits;
    setValue(value());
}

QString COrvelMaskEdit::value() const
{
    return MaskEditFormat::valueOf(text());
}

void COrvelMaskEdit::setValue(const QString &digits)
{
    setText(MaskEditFormat::grouped(MaskEditFormat::digitsOf(digits, m_maxDigits), m_radix));
}

void COrvelMaskEdit::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (printable && !shortcut) {
        const bool full = value().size() >= m_maxDigits && !hasSelectedText();
        if (MaskEditFormat::digitsOf(typed).size() != typed.size() || full) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

// Every edit, typed or pasted, is brought back to digits in groups, the cursor kept after the same digit.
void COrvelMaskEdit::regroup()
{
    const QString before = text();
    const int digitsBeforeCursor =
        static_cast<int>(MaskEditFormat::digitsOf(before.left(cursorPosition())).size());
    const QString shown = MaskEditFormat::grouped(MaskEditFormat::digitsOf(before, m_maxDigits), m_radix);
    if (shown == before)
        return;
    setText(shown);
    setCursorPosition(MaskEditFormat::cursorAfterDigits(shown, digitsBeforeCursor));
}

}  // namespace orv
