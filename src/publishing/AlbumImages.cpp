#include "publishing/AlbumImages.h"

#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "metadata/LectureMeta.h"
#include "platform/Messages.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"
#include "storage/Settings.h"
#include "treatments/TraitementsImage.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace
{

// The side of the placeholder drawn for a picture that cannot be loaded.
constexpr int nCoteErreur = 160;

bool MemeNom(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Section(const QString &cNom)
{
    return cPrefixeAlbumImages + cNom;
}

} // namespace

bool PeutAjouterAlbum(const TEnrLV &Enr)
{
    return Enr.nNumCD == 0 && Enr.lExiste && !Enr.lIllisible;
}

TAlbumImages::TAlbumImages(TBigIniFile &iniSetup, const TEnrParametres &Parametres, QObject *Parent)
    : QObject(Parent), m_iniSetup(iniSetup), m_Parametres(Parametres)
{
    fnChargeImage = [](const TEnrLV &Enr) {
        try {
            return ChargeImage(Enr.CheminComplet(), false, 0, false).Image;
        } catch (const EImageIllisible &) {
            return QImage();
        }
    };
    fnTraite = [this](QImage &Image, const TEnrLV &Enr) {
        const QImage Avant = Image;
        AppliqueTrtsImage(Image, m_iniSetup, m_Parametres, Enr.Cle(), Enr.cOrientation);
        return Image.cacheKey() != Avant.cacheKey();
    };
    fnBulle = [](const TEnrLV &Enr) { return QDir::toNativeSeparators(Enr.CheminComplet()); };
}

TAlbumImages::~TAlbumImages() = default;

// ---- Entries

int TAlbumImages::IndexImage(qint32 nVolume, const QString &cChemin) const
{
    for (int i = 0; i < Nombre(); ++i)
        if (m_Entrees[i].Enr.nNumCD == nVolume && m_Entrees[i].Enr.cChemin == cChemin)
            return i;
    return -1;
}

int TAlbumImages::AjouterImage(const TEnrLV &Enr, const QImage &imVignette, const QString &cBulle)
{
    const int nTrouve = IndexImage(Enr.nNumCD, Enr.cChemin);
    if (nTrouve >= 0)
        return nTrouve;
    TEnrImgAlbum e;
    e.Enr = Enr;
    e.imVignette = imVignette;
    e.cBulle = cBulle;
    m_Entrees.append(std::move(e));
    const int n = Nombre() - 1;
    // The first page shown is the first one added; a later one is decoded only when it is a
    // neighbour of the page shown.
    if (m_nActive < 0)
        m_nActive = 0;
    if (std::abs(n - m_nActive) <= 1)
        ChargePleine(m_Entrees[n]);
    emit EntreeAjoutee(n);
    return n;
}

void TAlbumImages::EnleverImage(qint32 nVolume, const QString &cChemin)
{
    EnleverPosition(IndexImage(nVolume, cChemin));
}

void TAlbumImages::EnleverPosition(int n)
{
    if (n < 0 || n >= Nombre())
        return;
    m_Entrees.removeAt(n);
    // The first page becomes the one shown.
    m_nActive = m_Entrees.isEmpty() ? -1 : 0;
    MajImagesPleines();
    emit EntreeEnlevee(n);
}

void TAlbumImages::EnleverTout()
{
    for (int i = Nombre() - 1; i >= 0; --i)
        EnleverPosition(i);
}

void TAlbumImages::RenommeImage(qint32 nVolume, const QString &cAncienChemin, const QString &cNouveauChemin)
{
    const int n = IndexImage(nVolume, cAncienChemin);
    if (n < 0)
        return;
    TEnrImgAlbum &e = m_Entrees[n];
    const QString cAncienComplet = e.Enr.CheminComplet();
    e.Enr.cChemin = cNouveauChemin;
    // A hint that named the old file names the new one.
    e.cBulle.replace(QDir::toNativeSeparators(cAncienComplet), QDir::toNativeSeparators(e.Enr.CheminComplet()));
    e.cBulle.replace(cAncienComplet, e.Enr.CheminComplet());
    emit EntreeModifiee(n);
}

void TAlbumImages::MettreAJourImage(const TEnrLV &Enr)
{
    const int n = IndexImage(Enr.nNumCD, Enr.cChemin);
    if (n < 0)
        return;
    m_Entrees[n].Enr = Enr;
    m_Entrees[n].cBulle = fnBulle ? fnBulle(Enr) : m_Entrees[n].cBulle;
    emit EntreeModifiee(n);
}

void TAlbumImages::MetVignette(int n, const QImage &imVignette, const QString &cBulle)
{
    if (n < 0 || n >= Nombre())
        return;
    m_Entrees[n].imVignette = imVignette;
    m_Entrees[n].cBulle = cBulle;
    emit EntreeModifiee(n);
}

// ---- Pages

QImage TAlbumImages::ChargePleine(TEnrImgAlbum &e)
{
    ++m_nChargements;
    QImage Image = fnChargeImage ? fnChargeImage(e.Enr) : QImage();
    e.lIllisible = Image.isNull();
    if (e.lIllisible)
        Image = ImageErreur(nCoteErreur);
    else if (fnTraite)
        fnTraite(Image, e.Enr);
    e.imImage = Image;
    return Image;
}

void TAlbumImages::Active(int n)
{
    if (n < 0 || n >= Nombre())
        return;
    m_nActive = n;
    MajImagesPleines();
}

void TAlbumImages::MajImagesPleines()
{
    for (int i = 0; i < Nombre(); ++i) {
        TEnrImgAlbum &e = m_Entrees[i];
        const bool lGarder = m_nActive >= 0 && std::abs(i - m_nActive) <= 1;
        if (lGarder && e.imImage.isNull()) {
            ChargePleine(e);
            emit ImagePleineChangee(i);
        } else if (!lGarder && !e.imImage.isNull()) {
            e.imImage = QImage();
            emit ImagePleineChangee(i);
        }
    }
}

int TAlbumImages::NombreImagesPleines() const
{
    return int(
        std::count_if(m_Entrees.cbegin(), m_Entrees.cend(), [](const TEnrImgAlbum &e) { return !e.imImage.isNull(); }));
}

QList<TEnrLstAW> TAlbumImages::ListeAlbumWEB() const
{
    QList<TEnrLstAW> Liste;
    for (const TEnrImgAlbum &e : m_Entrees) {
        TEnrLstAW l;
        l.EnrLV = e.Enr;
        l.imVignette = e.imVignette;
        l.cHint = e.cBulle;
        // A placeholder is no picture of the image: the generator draws its own.
        if (!e.lIllisible)
            l.imImage = e.imImage;
        Liste.append(std::move(l));
    }
    return Liste;
}

// ---- Saved albums

void TAlbumImages::LitNomsSauves()
{
    QStringList Sections;
    m_iniSetup.ReadSections(Sections);
    m_Noms.clear();
    for (const QString &c : std::as_const(Sections))
        if (c.startsWith(cSectionAlbumImages, Qt::CaseInsensitive)) {
            const QString cNom = c.mid(cPrefixeAlbumImages.size());
            if (!cNom.trimmed().isEmpty())
                AjouteNom(cNom);
        }
    emit NomsChanges();
}

void TAlbumImages::AjouteNom(const QString &cNom)
{
    m_nGenerationIndex = ~quint64(0);
    // Names that differ only in case are one section of the store: one entry of the list.
    const int n = IndexNom(cNom);
    if (n >= 0)
        m_Noms.removeAt(n);
    m_Noms.append(cNom);
    std::sort(m_Noms.begin(), m_Noms.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

int TAlbumImages::IndexNom(const QString &cTexte) const
{
    const QString c = cTexte.trimmed();
    for (int i = 0; i < m_Noms.size(); ++i)
        if (MemeNom(m_Noms[i], c))
            return i;
    return -1;
}

TEtatBoutonsAlbum TAlbumImages::EtatBoutons(const QString &cTexte, bool lModeMAJ) const
{
    TEtatBoutonsAlbum E;
    const bool lImages = Nombre() > 0;
    E.lSupprImgCour = E.lSupprTtesImg = E.lSvgTtesVig = E.lAlbumWEB = lImages;
    E.nNomListe = IndexNom(cTexte);
    E.lRstAlbImg = E.nNomListe >= 0;
    E.lSvgAlbImg = lModeMAJ && lImages && !cTexte.trimmed().isEmpty();
    E.lSupprAlbImg = lModeMAJ && E.nNomListe >= 0;
    return E;
}

QStringList TAlbumImages::CheminsSauves(const QString &cNom) const
{
    QStringList Cles;
    m_iniSetup.ReadSection(Section(cNom.trimmed()), Cles);
    return Cles;
}

bool TAlbumImages::SauverAlbum(const QString &cTexte, IMessages &Messages, QWidget *Parent)
{
    const QString cNom = cTexte.trimmed();
    if (cNom.isEmpty() || m_Entrees.isEmpty())
        return false;
    if (!CheminsSauves(cNom).isEmpty()
        && !Messages.Question(Parent, QStringLiteral("Une sauvegarde de '") + cNom
                                          + QStringLiteral("' existe déjà.\r\n\r\nL'écraser ?")))
        return false;
    // An earlier section of the same name in another case goes with the old content.
    m_iniSetup.EraseSection(Section(cNom));
    std::vector<std::pair<QString, QString>> Lignes;
    for (const TEnrImgAlbum &e : std::as_const(m_Entrees))
        Lignes.emplace_back(e.Enr.cChemin, QString());
    m_iniSetup.RemplaceSection(Section(cNom), Lignes);
    AjouteNom(cNom);
    emit NomsChanges();
    if (!m_iniSetup.UpdateFile()) {
        Messages.Erreur(Parent, QStringLiteral("%1 : %2").arg(QDir::toNativeSeparators(m_iniSetup.FileName()),
                                                              m_iniSetup.DerniereErreur()));
        return false;
    }
    Messages.Information(Parent, QStringLiteral("%1 image(s) sauvegardée(s).").arg(Nombre()));
    return true;
}

TEnrLV TAlbumImages::EnrRestaure(const QString &cChemin) const
{
    TEnrLV Enr;
    Enr.cChemin = cChemin;
    const QFileInfo Info(cChemin);
    Enr.lExiste = Info.isFile();
    Enr.nTaille = Info.size();
    Enr.nDate = Info.lastModified().toSecsSinceEpoch();
    // The EXIF orientation turns the thumbnail and the page as in the main grid; the EXIF and
    // IPTC texts fill the criteria tree.
    if (Enr.lExiste)
        AppliqueMetaImage(LitMetaImage(cChemin), Enr, Enr, TContexteFocale{});
    TTailleImage Taille;
    if (EstJPEG(cChemin) && JpegCodec::LitTaille(cChemin, Taille)) {
        Enr.nLargeur = Taille.nLargeur;
        Enr.nHauteur = Taille.nHauteur;
    } else {
        const int nPackee = m_iniSetup.ReadInteger(cSectionResolutionsVignettes, CleImage(0, cChemin), 0);
        if (nPackee != 0) {
            const TTailleImage t = TTailleImage::DePacke(nPackee);
            Enr.nLargeur = t.nLargeur;
            Enr.nHauteur = t.nHauteur;
        }
    }
    return Enr;
}

QImage TAlbumImages::VignetteRestauree(const TEnrLV &Enr) const
{
    QImage Vignette;
    if (!cDossierVignettes.isEmpty()) {
        const QString cFichier = NomVignette(cDossierVignettes, Enr.nNumCD, Enr.cChemin);
        if (QFileInfo::exists(cFichier))
            Vignette = JpegCodec::Decode(cFichier);
    }
    // Without a cached thumbnail the picture is decoded at the reduction a thumbnail needs.
    if (Vignette.isNull()) {
        try {
            Vignette = ChargeImage(Enr.CheminComplet(), true, nDVignette, m_Parametres.lLireVigDsTHM).Image;
        } catch (const EImageIllisible &) {
            Vignette = ImageErreur(nDVignette);
        }
    }
    return Vignette;
}

int TAlbumImages::RestaurerAlbum(const QString &cTexte, IMessages &Messages, QWidget *Parent, const TSuivi &Suivi)
{
    const QString cNom = cTexte.trimmed();
    const QStringList Chemins = CheminsSauves(cNom);
    if (std::none_of(Chemins.cbegin(), Chemins.cend(), [](const QString &c) { return QFileInfo(c).isFile(); })) {
        Messages.Erreur(Parent, QStringLiteral("Aucune image à restaurer."));
        return -1;
    }
    if (!m_Entrees.isEmpty()
        && !Messages.Question(Parent, QStringLiteral("Supprimer les %1 image(s) présentes et restaurer les %2 "
                                                     "image(s) de '%3' ?")
                                          .arg(Nombre())
                                          .arg(Chemins.size())
                                          .arg(cNom)))
        return -1;
    EnleverTout();
    int nAjoutees = 0;
    for (int i = 0; i < Chemins.size(); ++i) {
        Suivi.Position(i, Chemins.size());
        if (Suivi.Arret())
            break;
        const QString &cChemin = Chemins[i];
        if (!QFileInfo(cChemin).isFile())
            continue;
        const TEnrLV Enr = EnrRestaure(cChemin);
        QImage Vignette = VignetteRestauree(Enr);
        if (fnTraite && !Vignette.isNull())
            fnTraite(Vignette, Enr);
        AjouterImage(Enr, Vignette, fnBulle ? fnBulle(Enr) : QString());
        ++nAjoutees;
    }
    Suivi.Position(Chemins.size(), Chemins.size());
    if (!m_Entrees.isEmpty())
        Active(0);
    return nAjoutees;
}

bool TAlbumImages::SupprimerAlbum(const QString &cTexte, IMessages &Messages, QWidget *Parent)
{
    const int n = IndexNom(cTexte);
    if (n < 0)
        return false;
    const QString cNom = m_Noms[n];
    if (!Messages.Question(Parent, QStringLiteral("Supprimer l'album d'images '%1' ?").arg(cNom)))
        return false;
    m_iniSetup.EraseSection(Section(cNom));
    m_Noms.removeAt(n);
    m_nGenerationIndex = ~quint64(0);
    emit NomsChanges();
    if (!m_iniSetup.UpdateFile())
        Messages.Erreur(Parent, QStringLiteral("%1 : %2").arg(QDir::toNativeSeparators(m_iniSetup.FileName()),
                                                              m_iniSetup.DerniereErreur()));
    return true;
}

void TAlbumImages::Indexe() const
{
    if (m_nGenerationIndex == m_iniSetup.Generation())
        return;
    m_Index.clear();
    for (const QString &cNom : m_Noms)
        for (const QString &cChemin : CheminsSauves(cNom))
            m_Index[cChemin].append(cNom);
    m_nGenerationIndex = m_iniSetup.Generation();
}

QStringList TAlbumImages::AlbumsDeImage(const QString &cCle) const
{
    Indexe();
    return m_Index.value(cCle);
}
