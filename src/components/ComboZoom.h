#pragma once
// The zoom list of the image pane: its twelve entries drawn as text, "1:1" in bold, in the
// selection colours when selected and in grey while the list is disabled.

#include <QComboBox>

class TComboZoom : public QComboBox
{
    Q_OBJECT
public:
    explicit TComboZoom(QWidget *Parent = nullptr);

protected:
    void paintEvent(QPaintEvent *Evenement) override;
};
