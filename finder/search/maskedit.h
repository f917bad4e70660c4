#pragma once

#include <QLineEdit>

namespace orv {

// The number edit of the filter pages and the split dialog: digits only, at most 25 (or the box's own
// limit), shown in groups separated by blanks.
// Typed characters other than digits are refused with a beep; pasted text keeps only its digits.
class COrvelMaskEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit COrvelMaskEdit(QWidget *parent = nullptr);

    void setRadix(int radix);
    int radix() const { return m_radix; }
    void setMaxDigits(int digits);
    int maxDigits() const { return m_maxDigits; }
    // The text without its blanks.
    QString value() const;
    void setValue(const QString &digits);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void regroup();

    int m_radix = 10;
    int m_maxDigits;
};

}  // namespace orv
