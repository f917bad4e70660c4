#include "optionspage.h"

#include "finder/search/maskedit.h"

#include <QAbstractButton>
#include <QComboBox>

namespace orv {

namespace {

int checkedIndex(const QList<QAbstractButton *> &buttons)
{
    for (qsizetype i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            return int(i);
    return 0;
}

}  // namespace

void CBoundOptionsPage::follow(QAbstractButton *button)
{
    if (button)
        connect(button, &QAbstractButton::toggled, this, &CBoundOptionsPage::updateControls);
}

void CBoundOptionsPage::bindBool(QAbstractButton *on, QAbstractButton *off, bool SettingsValues::*field)
{
    m_bools.append({on, off, field});
    follow(on);
}

void CBoundOptionsPage::bindRadios(QList<QAbstractButton *> buttons, int SettingsValues::*field, int fallback)
{
    m_radios.append({std::move(buttons), field, fallback});
}

void CBoundOptionsPage::bindRadiosWithList(QList<QAbstractButton *> buttons, QComboBox *list,
                                           const RadioListMapping &mapping, int SettingsValues::*field)
{
    follow(buttons.value(0));
    m_lists.append({std::move(buttons), list, &mapping, field});
}

void CBoundOptionsPage::bindNumber(COrvelMaskEdit *box, int SettingsValues::*field)
{
    m_numbers.append({box, field});
}

void CBoundOptionsPage::load(const OptionsDraft &draft)
{
    const SettingsValues &v = draft.values;
    for (const BoolBinding &b : m_bools) {
        b.on->setChecked(v.*b.field);
        if (b.off)
            b.off->setChecked(!(v.*b.field));
    }
    for (const RadioBinding &b : m_radios)
        b.buttons.value(radioIndexOf(v.*b.field, int(b.buttons.size()), b.fallback))->setChecked(true);
    for (const ListBinding &b : m_lists) {
        const RadioWithList choice = choiceOf(*b.mapping, v.*b.field);
        b.buttons.value(choice.radio)->setChecked(true);
        b.list->setCurrentIndex(choice.listIndex);
    }
    for (const NumberBinding &b : m_numbers)
        b.box->setValue(QString::number(v.*b.field));
    updateControls();
}

void CBoundOptionsPage::store(OptionsDraft &draft) const
{
    SettingsValues &v = draft.values;
    for (const BoolBinding &b : m_bools)
        v.*b.field = b.on->isChecked();
    for (const RadioBinding &b : m_radios)
        v.*b.field = checkedIndex(b.buttons);
    for (const ListBinding &b : m_lists)
        v.*b.field = valueOf(*b.mapping, {checkedIndex(b.buttons), b.list->currentIndex()});
    for (const NumberBinding &b : m_numbers)
        v.*b.field = b.box->value().toInt();
}

void CBoundOptionsPage::updateControls()
{
    for (const ListBinding &b : m_lists)
        b.list->setEnabled(b.buttons.value(0)->isChecked());
}

}  // namespace orv
