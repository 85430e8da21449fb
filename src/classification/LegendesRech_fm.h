#pragma once
// The legend and description rows of the page "Recherche" and its favourite button: the
// values the search looks for and the application to the checked images writes. The legend
// box lists the catalogue's legends; a legend or description applied anywhere joins its list.

#include <QObject>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class QStringListModel;
class TContexte;
class TRechercheKX;

class TLegendesRechKX : public QObject
{
    Q_OBJECT
public:
    // Fills the page's legend and description placeholders; the description row shows only
    // when descriptions are handled.
    TLegendesRechKX(TRechercheKX &Recherche, TContexte &Contexte);

    QLabel *imCritLeg = nullptr;
    QComboBox *cbCritLeg = nullptr;
    QLabel *imCritDes = nullptr;
    QComboBox *cbCritDes = nullptr;

    QStringList Legendes() const;
    QStringList Descriptions() const;
    // Adds a text to a box's list unless one equal to it without regard to case is there; the
    // text being typed is left alone.
    void AjouteLegende(const QString &cLegende);
    void AjouteDescription(const QString &cDescription);
    // Reads the legends again from the settings store (when the settings ask for it).
    void ChargeLegendes();

private:
    static void Ajoute(QComboBox *Boite, QStringListModel *Modele, const QString &cTexte);

    TContexte &m_Contexte;
    QStringListModel *m_ModeleLeg = nullptr;
    QStringListModel *m_ModeleDes = nullptr;
};
