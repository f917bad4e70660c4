#pragma once

#include "finder/settings/optionsapply.h"
#include "finder/settings/optionsvalues.h"

#include <QList>
#include <QWidget>

class QAbstractButton;
class QComboBox;

namespace orv {

class COrvelMaskEdit;

// One page of the Options dialog: it shows its part of the draft and puts the user's choices back.
class COptionsPage : public QWidget
{
    Q_OBJECT

public:
    COptionsPage(int pageId, QWidget *parent) : QWidget(parent), m_pageId(pageId) {}

    int pageId() const { return m_pageId; }
    virtual void load(const OptionsDraft &draft) = 0;
    virtual void store(OptionsDraft &draft) const = 0;

private:
    int m_pageId;
};

// A page whose controls each stand for one value: a check box (or a pair of radio buttons) for a
// boolean, a radio group for a small number, a radio group with a list for a number with a choice, and a
// number box. The list of a radio-with-list group is enabled only while its first button is on.
class CBoundOptionsPage : public COptionsPage
{
    Q_OBJECT

public:
    using COptionsPage::COptionsPage;

    // The off button may be null for a lone check box.
    void bindBool(QAbstractButton *on, QAbstractButton *off, bool SettingsValues::*field);
    // Button i stands for value i; any other value turns on the fallback's button.
    void bindRadios(QList<QAbstractButton *> buttons, int SettingsValues::*field, int fallback);
    void bindRadiosWithList(QList<QAbstractButton *> buttons, QComboBox *list, const RadioListMapping &mapping,
                            int SettingsValues::*field);
    void bindNumber(COrvelMaskEdit *box, int SettingsValues::*field);

    void load(const OptionsDraft &draft) override;
    void store(OptionsDraft &draft) const override;

protected:
    // Enables and disables controls after a load and after every click.
    virtual void updateControls();

private:
    struct BoolBinding
    {
        QAbstractButton *on;
        QAbstractButton *off;
        bool SettingsValues::*field;
    };
    struct RadioBinding
    {
        QList<QAbstractButton *> buttons;
        int SettingsValues::*field;
        int fallback;
    };
    struct ListBinding
    {
        QList<QAbstractButton *> buttons;
        QComboBox *list;
        const RadioListMapping *mapping;
        int SettingsValues::*field;
    };
    struct NumberBinding
    {
        COrvelMaskEdit *box;
        int SettingsValues::*field;
    };

    void follow(QAbstractButton *button);

    QList<BoolBinding> m_bools;
    QList<RadioBinding> m_radios;
    QList<ListBinding> m_lists;
    QList<NumberBinding> m_numbers;
};

}  // namespace orv
