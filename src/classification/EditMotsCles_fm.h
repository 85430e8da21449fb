#pragma once
// The keyword picker: the keywords one per line, and the tree of the keywords already used
// in the catalogue, whose entries are added as new lines.

#include <QDialog>
#include <QString>
#include <QStringList>

class IMessages;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TBigIniFile;

// One line of the picker as it may be typed: letters a-z upper-cased, only & + , - . 0-9
// A-Z _ kept (no blank); line breaks are kept between lines.
QString FiltreLignesMotsCles(const QString &cTexte);

class TfmEditMotsCles : public QDialog
{
    Q_OBJECT
public:
    // cMotsCles: the keywords as the classification window holds them, one line each.
    TfmEditMotsCles(IMessages &Messages, const TBigIniFile &iniSetup, const QString &cMotsCles,
                    QWidget *Parent = nullptr);

    // The non-empty lines joined by single blanks: what replaces the keywords on OK.
    QString MotsCles() const;

    QPlainTextEdit *mmMotsCles = nullptr;
    QPushButton *btSupprLigCour = nullptr;
    QTreeWidget *tvMotsClesPresents = nullptr;
    QPushButton *btAffecterMCPresent = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

    void btSupprLigCourClick();
    void btAffecterMCPresentClick();

private:
    void Filtre();
    QStringList Lignes() const;
    bool MotCleChoisi(QString &cMotCle) const;

    IMessages &m_Messages;
    bool m_lFiltrage = false;
};
