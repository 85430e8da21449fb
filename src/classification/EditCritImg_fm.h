#pragma once
// The classification window: one image of the list at a time, its criteria checked in a copy
// of the search tree, its keywords, favourite mark, legend and description, the picture, and
// the thumbnails of the main grid to move to another image. The state and the saving are
// TEditionClassement's; this window shows them and asks the questions.

#include "classification/Classement.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QStringList>
#include <functional>

class IMessages;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class TArboCriteres;
class TArbreCritRech;
class TModeleListeImages;
class TPaneledListView;

class TfmEditCritImg : public QDialog
{
    Q_OBJECT
public:
    // Grille: the main grid, whose pictures, captions and hints the window shows (may be null
    // or out of step with the list: captions are then the file names). The list, the grid and
    // the tree must outlive the window.
    TfmEditCritImg(TClassement &Classement, TArboCriteres &Arbo, IMessages &Messages, TModeleListeImages &Modele,
                   const TPaneledListView *Grille, int nLigne, QWidget *Parent = nullptr);
    ~TfmEditCritImg() override;

    // The lists of the legend and description boxes (the search page's, sorted); a legend or
    // description saved here is added to them.
    void MetListes(const QStringList &Legendes, const QStringList &Descriptions);
    const QStringList &Legendes() const { return m_Legendes; }
    const QStringList &Descriptions() const { return m_Descriptions; }

    // The saved searches of cbCritEnreg, filled by the search; choosing one calls
    // fnChargeCritEnreg with its name, which loads it through ChargeValeurs.
    void MetCriteresEnregistres(const QStringList &Noms);
    std::function<void(const QString &cNom)> fnChargeCritEnreg;
    // Puts these values into the window's controls, as a change of the user's.
    void ChargeValeurs(const QStringList &Chemins, const QString &cMotsCles, bool lCoupDeCoeur, const QString &cLegende,
                       const QString &cDescription);

    // The remembered treatments applied to the full-size picture (left empty until they exist).
    std::function<void(QImage &Image, const TEnrLV &Enr)> fnAppliqueTraitements;

    int LigneCourante() const { return m_nLigne; }
    bool Modifie() const { return m_Edition.Modifie(); }
    // Leaves the current image (auto-save or the question) and shows another one.
    void Navigue(int nLigne);
    // Saves the current image when something changed; errors are shown under "Erreur".
    void Sauvegarde();

    // Controls.
    QGroupBox *gbCriteres = nullptr;
    QGroupBox *gbImage = nullptr;
    TArbreCritRech *tvCriteres = nullptr;
    QPushButton *btRAZCritRech = nullptr;
    QCheckBox *cbSvgAutoQdNavig = nullptr;
    QPushButton *btApercu = nullptr;
    QComboBox *cbCritEnreg = nullptr;
    QPushButton *btMotsCles = nullptr;
    QLineEdit *edMotsCles = nullptr;
    QPushButton *btCoupDeCoeur = nullptr;
    QComboBox *cbLegende = nullptr;
    QComboBox *cbDescription = nullptr;
    QScrollArea *sbImage = nullptr;
    QLabel *imImage = nullptr;
    QPushButton *btSvgCritsImgCour = nullptr;
    QPushButton *btNavigPrem = nullptr;
    QPushButton *btNavigPrec = nullptr;
    QPushButton *btNavigSuiv = nullptr;
    QPushButton *btNavigDern = nullptr;
    TPaneledListView *plvEditVigs = nullptr;
    QPushButton *btSvgEtQuitter = nullptr;
    QPushButton *btQuitter = nullptr;
    QPushButton *btAide = nullptr;

    void btMotsClesClick();
    void btRAZCritRechClick();

    // Closing with unsaved changes asks "Sauvegarder les modifications apportées à '%s' ?"
    // and saves on Yes; the window closes either way.
    void done(int nResultat) override;

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    void Construit();
    void RemplitVignettes();
    void Charge(int nLigne);
    void MontreImage();
    void MontreValeurs();
    void MajBoutons();
    void MajListes();
    QString CaptionVignette() const;
    // The question before leaving the image, or the auto-save.
    void QuitteImage();
    void Signale(const TResultatClassement &r);

    TClassement &m_Classement;
    TArboCriteres &m_Arbo;
    IMessages &m_Messages;
    TModeleListeImages &m_Modele;
    const TPaneledListView *m_Grille;
    TEditionClassement m_Edition;
    QStringList m_Legendes;
    QStringList m_Descriptions;
    int m_nLigne = -1;
    bool m_lChargement = false;
    bool m_lFermeture = false;
    QPoint m_ptGlisse;
    bool m_lGlisse = false;
};
