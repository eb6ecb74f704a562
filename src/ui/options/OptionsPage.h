// One page of the options dialog: its heading, its controls, and the two
// ways between them and the dialog's values.
#pragma once

#include "app/OptionsLogic.h"

#include <QWidget>

class QLabel;
class QVBoxLayout;

class COptionsPage : public QWidget {
    Q_OBJECT
public:
    // heading: the page's first text, in bold.
    COptionsPage(const QString& heading, QWidget* parent = nullptr);
    virtual void Load(const OptionsValues& v) = 0;
    virtual void Save(OptionsValues& v) const = 0;

protected:
    QVBoxLayout* Body() const { return m_pBody; }
    // A sub-heading inside the page ("Messages").
    QLabel* AddHeading(const QString& text);

private:
    QVBoxLayout* m_pBody;
};
