#pragma once
// The tree of the machine's folders: "/" and the user-visible mount points, optionally the
// desktop and documents folders first. Sub-folders are read when a node is expanded; a node
// whose folder may hold sub-folders not read yet has one placeholder child "*".

#include "platform/Volumes.h"

#include <QString>
#include <QTreeWidget>
#include <stdexcept>

class QAction;

// Raised by ChoisitDossier for a folder that does not exist or that the tree cannot reach
// (under no root, or below a hidden folder). Its text is the message the user sees.
class ECheminNonTrouve : public std::runtime_error
{
public:
    ECheminNonTrouve() : std::runtime_error("Chemin non trouvé.") {}
    QString Message() const { return QString::fromUtf8(what()); }
};

struct TInfoNoeud
{
    bool lLu = false; // its sub-folders have been read
    QString cChemin;  // full path ending with "/"; empty for the placeholder child
};

class TFolderTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    enum TTypeVolume { tvAmovible, tvFixe, tvCD, tvReseau, tvRam };

    explicit TFolderTreeView(const IVolumes *volumes = nullptr, QWidget *parent = nullptr);

    bool _ShowShellNodes() const { return m_lShellNodes; }
    void set_ShowShellNodes(bool l);
    // Only "/" and the fixed disks, for choosing where the data folder goes.
    bool _FixedDisksOnly() const { return m_lFixesSeuls; }
    void set_FixedDisksOnly(bool l);
    // Only the CD drives that hold a disc (a serial or a label), for choosing a disc to index.
    bool _CDsOnly() const { return m_lCDsSeuls; }
    void set_CDsOnly(bool l);
    void setVolumes(const IVolumes *volumes);
    // The folders of the shell nodes; by default the desktop and documents locations.
    void setDossiersShell(const QString &cBureau, const QString &cDocuments);

    void Remplit();
    QString DossierCourant() const;
    // Selects a folder, reading the levels on the way. Throws ECheminNonTrouve.
    void ChoisitDossier(const QString &cChemin);
    // Creates a sub-folder of the current folder and selects it. False for a name that is
    // empty, ".", "..", starts with "." (the tree hides such folders) or holds "/", or when the
    // folder could not be made.
    bool CreeSousDossier(const QString &cNom);
    void Rafraichit();

    static TInfoNoeud *Info(QTreeWidgetItem *item);
    static const TInfoNoeud *Info(const QTreeWidgetItem *item);
    // The text of a drive node: "(mount point) V - "L"", "(mount point) V",
    // "(mount point) "L"" or "(mount point)", V being the serial as "%x-%x" when both of its
    // halves are not zero and L the label.
    static QString TexteLecteur(const TVolume &v);
    static TTypeVolume TypeVolume(const TVolume &v);
    // True when the folder holds at least one sub-folder not beginning with "."; stops at the
    // first one, so that a folder of many files is not listed for it.
    static bool ADesSousDossiers(const QString &cChemin);

    QAction *ActionRafraichir() const { return m_pmiRafraichir; }

signals:
    // The selected folder changed (empty when nothing is selected).
    void Change(const QString &cChemin);

protected:
    void contextMenuEvent(QContextMenuEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QTreeWidgetItem *NouveauNoeud(QTreeWidgetItem *parent, const QString &cTexte, const QString &cChemin,
                                  const QIcon &icone, bool lEnfant);
    void LitSousDossiers(QTreeWidgetItem *item);
    void OublieEnfants(QTreeWidgetItem *item);
    QTreeWidgetItem *RacineDe(const QString &cChemin) const;
    QIcon IconeVolume(TTypeVolume n) const;
    QIcon IconeDossier() const;
    void MajAction();

    const IVolumes *m_pVolumes = nullptr;
    bool m_lShellNodes = false;
    bool m_lFixesSeuls = false;
    bool m_lCDsSeuls = false;
    QString m_cBureau;
    QString m_cDocuments;
    QAction *m_pmiRafraichir = nullptr;
};
