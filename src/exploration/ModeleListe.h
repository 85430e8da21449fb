#pragma once
// The image list: one model owning every TEnrLV of the current listing. The list view and
// the thumbnail grid are two views of it, so a sort, a check or a removal happens once and
// row i is always grid item i.

#include "exploration/EnrLV.h"
#include "imaging/VignetteCompacte.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QImage>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TBigIniFile;

// Where the current list came from.
enum class TModeListe { Exploration = 0, Recherche = 1, HistoriqueCD = 2 };

class TModeleListeImages : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum TRole {
        RoleIcone = Qt::UserRole + 1, // 0..7: 1 shortcut + 2 metadata + 4 catalogue data
        RoleVignette,                 // TVignetteCompacte, shared with the grid item
        RoleCle,                      // the image key
        RoleCheminComplet,
        RoleVisible, // header: the column is shown (upper-case letter)
    };

    explicit TModeleListeImages(QObject *parent = nullptr);
    ~TModeleListeImages() override;

    // Model interface.
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Entries.
    int Nombre() const { return static_cast<int>(m_Lignes.size()); }
    const TEnrLV &Enr(int nLigne) const { return *m_Lignes.at(static_cast<size_t>(nLigne)).pEnr; }
    TEnrLV &Enr(int nLigne) { return *m_Lignes.at(static_cast<size_t>(nLigne)).pEnr; }
    // Frees every entry.
    void Vide();
    // Between Debut and Fin entries are added without per-row notifications; views see one
    // reset at Fin.
    void Debut();
    void Fin();
    bool EnCours() const { return m_lEnCours; }
    // Appends an unchecked entry; lDonnees: the image has catalogue data. Returns its row.
    int Ajoute(std::unique_ptr<TEnrLV> pEnr, bool lDonnees);
    // Removes one entry, or every entry after a row (an interrupted thumbnail loading).
    void Supprime(int nLigne);
    void SupprimeApres(int nLigne);
    // Removes the listed rows (any order; repeated or out-of-range rows ignored) in one call:
    // views see one removal per run of adjacent rows, the last run first, and the check count
    // changes once.
    void SupprimeLignes(QList<int> nLignes);

    // Row state.
    int Icone(int nLigne) const;
    void MetDonnees(int nLigne, bool lDonnees);
    void MetResolution(int nLigne, qint64 nLargeur, qint64 nHauteur);
    // The entry keeps the file's size; "Résol." shows it as the image is shown, turned by its
    // treatments when this is set (it answers whether the net quarter turns are odd).
    std::function<bool(const TEnrLV &)> fnTournee;
    // A row's hint (the tool-tip role), made when it is asked for; none when not set.
    std::function<QString(const TEnrLV &)> fnBulle;
    QString TexteResolution(const TEnrLV &e) const;
    void MetVignette(int nLigne, const TVignetteCompacte &Vignette);
    TVignetteCompacte Vignette(int nLigne) const;
    void EnrModifie(int nLigne); // the entry's fields changed: refresh every view of its row

    // Checking.
    bool Coche(int nLigne) const;
    int nNbCoches() const { return m_nNbCoches; }
    int nDerniereBasculee() const { return m_nDerniereBasculee; }
    void OublieDerniereBasculee() { m_nDerniereBasculee = -1; }
    void BasculeCoche(int nLigne);
    void MetCoche(int nLigne, bool lCoche);
    // Sets the state on every row that meets the test and whose state differs; other rows
    // keep theirs. Returns the number of rows changed.
    int CocheSelon(bool lCocher, const std::function<bool(const TEnrLV &, bool lDonnees)> &Critere);
    // The checked rows, in row order.
    QList<int> LignesCochees() const;

    // Sorting by a key of ColonnesListe (0..5). Ascending only; equal keys keep their order.
    int nLVColTri() const { return m_nCleTri; }
    void MetCleTri(int nCle) { m_nCleTri = (nCle >= 0 && nCle <= 5) ? nCle : 0; }
    void TrieListe();
    // The row order a sort by this key would give, without changing anything.
    std::vector<int> OrdreTri(int nCle) const;

    // Columns.
    QString cOrdreCol() const { return m_cOrdreCol; }
    void MetOrdreCol(const QString &cOrdre); // without re-arranging rows (start-up)
    // Rebuilds the columns from a new order; every row's texts follow their letter.
    void ColonnesListe(const QString &cNouvelOrdre);
    QChar LettreColonne(int nColonne) const; // 0 for "Nom"

    // Camera models met while listing (every distinct non-blank one).
    QStringList lstAppareils;

    TModeListe nMode = TModeListe::Exploration;

    // The eight row icons (index RoleIcone), shown as the first column's decoration.
    void MetIcones(const QList<QIcon> &Icones) { m_Icones = Icones; }

signals:
    // Rows were sorted: position i now holds the row that was at nAnciens[i]. Lets a view that
    // keeps items of its own (the thumbnail grid) follow without a reload.
    void ordreChange(const std::vector<int> &nAnciens);
    void nbCochesChange(int nNbCoches);
    void cocheChange(int nLigne, bool lCoche);

private:
    struct TLigne
    {
        std::unique_ptr<TEnrLV> pEnr;
        bool lCoche = false;
        bool lDonnees = false;
        TVignetteCompacte Vignette;
    };
    std::vector<TLigne> m_Lignes;
    QList<QIcon> m_Icones;
    QString m_cOrdreCol;
    int m_nCleTri = 0;
    int m_nNbCoches = 0;
    int m_nDerniereBasculee = -1;
    bool m_lEnCours = false;

    void Permute(const std::vector<int> &Ordre);
};

// The criteria of the check menus, by their number: 0 all, 1 favourites, 2 with catalogue
// data, 3 without, 4 with metadata, 5 without, 6 JPEG, 7 RAW/TIF/PNG.
std::function<bool(const TEnrLV &, bool lDonnees)> CritereCoche(int nCritere, const TBigIniFile &iniSetup);
