#pragma once
// The preview of a parameter dialog: a small tool window, child of the dialog so that it goes
// with it, showing a copy of the displayed picture reduced to a longest side of 300 pixels,
// treated anew with the dialog's text at every change of its values.

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;

// What the preview starts from: the picture currently displayed, treatments included; a null
// picture when none is shown. Keeps the dialogs apart from the window that shows pictures.
using TSourceApercu = std::function<QImage()>;

// The picture reduced (or enlarged) so that its longest side is 300 pixels and the other is
// rnd(other × 300 / longest), at least 1; a null picture for an empty source.
QImage ReduitPourApercu(const QImage &Source);

class TfmTrtApercu : public QWidget
{
    Q_OBJECT
public:
    // nCode: the treatment the dialog sets (4, 5 or 7). Source: the displayed picture, which
    // is reduced here. Parent: the dialog; the preview shows and hides with it.
    TfmTrtApercu(const QImage &Source, int nCode, QWidget *Parent);

    // An empty source gives no preview: the window stays hidden and Actualise does nothing.
    bool Valide() const { return !m_Source.isNull(); }
    // Resets the preview from the source and treats it with cParam; shows the window when the
    // dialog is on screen.
    void Actualise(const QString &cParam);

    const QImage &Source() const { return m_Source; }
    const QImage &Apercu() const { return m_Apercu; }

    QLabel *imApercu;

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    void Montre();
    void Place();

    QImage m_Source;
    QImage m_Apercu;
    int m_nCode;
};

// Gives a dialog its preview when lTrtApercu is on and the source shows something; the
// preview follows the dialog's ParametreModifie. Returns it (owned by the dialog), or null.
template <class TFm>
TfmTrtApercu *AttacheApercu(TFm &fm, int nCode, bool lTrtApercu, const TSourceApercu &fnSource)
{
    if (!lTrtApercu || !fnSource)
        return nullptr;
    const QImage Source = fnSource();
    if (Source.isNull())
        return nullptr;
    auto *Apercu = new TfmTrtApercu(Source, nCode, &fm);
    if (!Apercu->Valide()) {
        delete Apercu;
        return nullptr;
    }
    Apercu->Actualise(fm.cParametre());
    QObject::connect(&fm, &TFm::ParametreModifie, Apercu, &TfmTrtApercu::Actualise);
    return Apercu;
}
