#pragma once
// The start-up splash window: the program's name and version, the text of the step running
// and a gauge of the steps.

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;

class TfmDemarrage : public QWidget
{
    Q_OBJECT
public:
    static constexpr int nDerniereEtape = 4;

    explicit TfmDemarrage(QWidget *Parent = nullptr);

    // Shows the step's text (the previous text stays for a step without one), moves the
    // gauge, repaints at once, then runs the work.
    void Etape(int nEtape, const std::function<void()> &Travail = {});
    // Shows a text of its own under the current step (the clean-up's count, for instance).
    void AfficheTexte(const QString &cTexte);
    // The step's text, empty for a step that keeps the previous one.
    static QString TexteEtape(int nEtape);

    QLabel *stLancement = nullptr;
    QProgressBar *ggLancement = nullptr;

protected:
    void hideEvent(QHideEvent *Evenement) override;
    void resizeEvent(QResizeEvent *Evenement) override;

private:
    void Repeint();
};
