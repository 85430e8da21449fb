#include "cdhistory/IndexationCD.h"

#include "imaging/FileKinds.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <future>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Deep enough for any disc; a damaged file system cannot make the walk run away.
constexpr int nProfondeurMax = 128;

// Reads the file into the page cache now, on the walking thread, so that the disc is read in
// walk order and the decoding threads find it in memory.
void LitDAvance(const QString &cFichier)
{
    const int fd = ::open(QFile::encodeName(cFichier).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st
    {
    };
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        ::readahead(fd, 0, static_cast<size_t>(st.st_size));
    ::close(fd);
}

struct TTravailIndex
{
    TTravailVignette Vignette;
    bool lDejaLa = false;
};

struct TResultatIndex
{
    TMetaImage Meta;
    TResultatVignette Vignette;
    bool lAbandonne = false;
};
} // namespace

const QStringList &TypesIndexationCD()
{
    static const QStringList Types = {QStringLiteral(".JPG, .JPEG"), QStringLiteral(".CRW"), QStringLiteral(".CR2"),
                                      QStringLiteral(".MRW"),        QStringLiteral(".NEF"), QStringLiteral(".ORF"),
                                      QStringLiteral(".PEF"),        QStringLiteral(".RAF"), QStringLiteral(".TIF"),
                                      QStringLiteral(".PNG")};
    return Types;
}

bool TypeAdmet(int nType, const QString &cNom)
{
    const QStringList &Types = TypesIndexationCD();
    if (nType < 0 || nType >= Types.size())
        return false;
    if (nType == 0)
        return EstJPEG(cNom);
    return EstAutreImage(cNom) && ExtensionMaj(cNom) == Types.at(nType);
}

TIndexationCD::TIndexationCD(TBigIniFile &iniSetup, const IVolumes &Volumes, TParamsIndexationCD Params)
    : m_iniSetup(iniSetup), m_Volumes(Volumes), m_Params(std::move(Params))
{}

bool TIndexationCD::AuMoinsUnType() const
{
    return m_Params.TypesCoches.contains(true);
}

bool TIndexationCD::Admis(const QString &cNom) const
{
    const int n = std::min<int>(int(m_Params.TypesCoches.size()), int(TypesIndexationCD().size()));
    for (int i = 0; i < n; ++i)
        if (m_Params.TypesCoches.at(i) && TypeAdmet(i, cNom))
            return true;
    return false;
}

void TIndexationCD::Parcourt(const QString &cDossier, qint64 &nCompteur, QStringList *pFichiers, int nProfondeur)
{
    DIR *pDir = ::opendir(QFile::encodeName(cDossier).constData());
    if (!pDir)
        return;
    const int fd = ::dirfd(pDir);
    while (lContinue) {
        const dirent *pEnt = ::readdir(pDir);
        if (!pEnt)
            break;
        if (pEnt->d_name[0] == '.')
            continue;
        const QString cNom = QFile::decodeName(pEnt->d_name);
        struct stat st
        {
        };
        // Only what may be a folder or an admitted file costs a stat.
        const bool lPeutEtreDossier = pEnt->d_type == DT_DIR || pEnt->d_type == DT_LNK || pEnt->d_type == DT_UNKNOWN;
        if ((lPeutEtreDossier || Admis(cNom)) && ::fstatat(fd, pEnt->d_name, &st, 0) == 0) {
            if (S_ISDIR(st.st_mode)) {
                // A folder reached twice (a link back to an ancestor) is walked once.
                const std::pair<quint64, quint64> Id{quint64(st.st_dev), quint64(st.st_ino)};
                if (nProfondeur < nProfondeurMax && m_DossiersVus.insert(Id).second)
                    Parcourt(cDossier + cNom + QLatin1Char('/'), nCompteur, pFichiers, nProfondeur + 1);
            } else if (S_ISREG(st.st_mode) && Admis(cNom)) {
                ++nCompteur;
                if (pFichiers)
                    pFichiers->append(cDossier + cNom);
            }
        }
        if (Interrompre && Interrompre())
            lContinue = false;
    }
    ::closedir(pDir);
}

qint64 TIndexationCD::Compte(const QString &cDossierDonne)
{
    QString cDossier = cDossierDonne;
    if (!cDossier.endsWith(QLatin1Char('/')))
        cDossier += QLatin1Char('/');
    lContinue = true;
    m_DossiersVus.clear();
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(cDossier).constData(), &st) == 0)
        m_DossiersVus.insert({quint64(st.st_dev), quint64(st.st_ino)});
    qint64 n = 0;
    if (AuMoinsUnType())
        Parcourt(cDossier, n, nullptr, 0);
    return n;
}

TBilanIndexationCD TIndexationCD::Indexe(const QString &cDossierDonne)
{
    TBilanIndexationCD Bilan;
    QString cDossier = cDossierDonne;
    if (!cDossier.endsWith(QLatin1Char('/')))
        cDossier += QLatin1Char('/');
    const TLecteursCD Lecteurs(m_Volumes);
    const TVolume Volume = Lecteurs.VolumeDe(cDossier);
    QString cMontage = Volume.cPointMontage;
    if (!cMontage.endsWith(QLatin1Char('/')))
        cMontage += QLatin1Char('/');
    if (!Volume.lCD || Volume.nSerie == 0 || !cDossier.startsWith(cMontage)) {
        Bilan.cErreur = QStringLiteral("%1 n'est pas sur un CD.").arg(cDossier);
        return Bilan;
    }
    const qint32 nVolume = static_cast<qint32>(Volume.nSerie);
    const QString cId = IdVolume(Volume.nSerie);
    const QString cDossierCD = m_Params.Vignettes.cDossierVignettes + cId;
    if (!QDir().mkpath(cDossierCD)) {
        Bilan.cErreur = QStringLiteral("Impossible de créer le dossier %1.").arg(QDir::toNativeSeparators(cDossierCD));
        return Bilan;
    }

    // The walk first (it only lists folders), then the images in its order.
    lContinue = true;
    m_DossiersVus.clear();
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(cDossier).constData(), &st) == 0)
        m_DossiersVus.insert({quint64(st.st_dev), quint64(st.st_ino)});
    QStringList Fichiers;
    qint64 nCompte = 0;
    if (AuMoinsUnType())
        Parcourt(cDossier, nCompte, &Fichiers, 0);

    const QString cLecteur = cMontage.chopped(1);
    const int nFils = m_Params.nFils > 0 ? m_Params.nFils : std::max(1, QThread::idealThreadCount());
    QThreadPool Pool;
    Pool.setMaxThreadCount(nFils);
    auto lAnnule = std::make_shared<std::atomic<bool>>(false);
    struct TEnCours
    {
        TTravailIndex Travail;
        std::future<TResultatIndex> Futur;
    };
    std::deque<TEnCours> File;
    const size_t nAvance = size_t(nFils) * 2 + 2;
    qsizetype nSoumis = 0;

    auto Prepare = [&](const QString &cFichier) {
        TImageVignette Image;
        Image.nNumCD = nVolume;
        Image.cLecteur = cLecteur;
        Image.cChemin = cFichier.mid(cLecteur.size());
        Image.lExiste = true;
        TTravailIndex t;
        t.Vignette = PrepareVignette(m_iniSetup, m_Params.Vignettes, Image);
        // A thumbnail without its key (a stop before the store was saved) is made again:
        // without the key the image would never be part of the history.
        t.lDejaLa = !m_Params.lRecrVigExist && !t.Vignette.lManquante
                    && m_iniSetup.ValueExists(cSectionTaillesVignettes, Image.Cle());
        if (m_Params.lRecrVigExist) {
            // Decoded again whatever the cache holds; the new file replaces the old one only
            // once it is written whole.
            t.Vignette.lManquante = true;
            t.Vignette.lDonneesManquantes = false;
        }
        if (!t.lDejaLa)
            LitDAvance(cFichier);
        return t;
    };
    auto Soumet = [&]() {
        while (lContinue && nSoumis < Fichiers.size() && File.size() < nAvance) {
            TEnCours e;
            e.Travail = Prepare(Fichiers.at(nSoumis));
            auto Promesse = std::make_shared<std::promise<TResultatIndex>>();
            e.Futur = Promesse->get_future();
            if (e.Travail.lDejaLa) {
                Promesse->set_value(TResultatIndex{});
            } else {
                Pool.start([Promesse, Travail = e.Travail.Vignette, lAnnule]() {
                    TResultatIndex r;
                    if (lAnnule->load()) {
                        r.lAbandonne = true;
                    } else {
                        r.Meta = LitMetaImage(Travail.Image.CheminComplet());
                        r.Vignette = CalculeVignette(Travail);
                    }
                    Promesse->set_value(std::move(r));
                });
            }
            File.push_back(std::move(e));
            ++nSoumis;
        }
    };
    auto Applique = [&](const TTravailIndex &t, const TResultatIndex &r) {
        if (t.lDejaLa) {
            ++Bilan.nDejaLa;
            return;
        }
        if (r.lAbandonne)
            return;
        const TResultatVignette &v = r.Vignette;
        if (v.lIllisible || (!v.lEcrite && !v.lDonneesRelues)) {
            ++Bilan.nEchecs;
            return;
        }
        TDonneesEXIF EXIF;
        TDonneesIPTC IPTC;
        AppliqueMetaImage(r.Meta, EXIF, IPTC, m_Params.Focale);
        if (m_Params.pAppareils && EXIF.lEXIF && !EXIF.cAppareil.trimmed().isEmpty())
            m_Params.pAppareils->insert(EXIF.cAppareil.trimmed());
        TSourcesDonneesCD Donnees;
        Donnees.EcritMetadonnees = [&EXIF, &IPTC](TBigIniFile &iniSetup, const QString &cCle) {
            EcrireEXIFCatalogue(iniSetup, cCle, EXIF);
            EcrireIPTCCatalogue(iniSetup, cCle, IPTC);
        };
        Donnees.lTrtDescription = m_Params.lTrtDescription;
        Donnees.pDescriptions = m_Params.pDescriptions;
        EcritDonneesVignette(m_iniSetup, t.Vignette, v, Donnees);
        ++Bilan.nTraitees;
    };

    while (true) {
        Soumet();
        if (File.empty())
            break;
        TEnCours e = std::move(File.front());
        File.pop_front();
        const TResultatIndex r = e.Futur.get();
        Applique(e.Travail, r);
        if (Avance)
            Avance();
        if (lContinue && Interrompre && Interrompre())
            lContinue = false;
        if (!lContinue) {
            // What the threads finished is kept; what they had not begun is dropped.
            lAnnule->store(true);
            for (TEnCours &Reste : File)
                Applique(Reste.Travail, Reste.Futur.get());
            File.clear();
            break;
        }
    }
    Pool.waitForDone();
    Bilan.lInterrompu = !lContinue;

    // A label is recorded once, never updated afterwards; a disc without one has no key.
    if (!Volume.cLabel.isEmpty() && !m_iniSetup.ValueExists(cSectionLabelsCD, cId)) {
        m_iniSetup.WriteString(cSectionLabelsCD, cId, Volume.cLabel);
        Bilan.lLabelEcrit = true;
    }
    if (m_iniSetup.Modifie() && !m_iniSetup.UpdateFile()) {
        Bilan.lSauve = false;
        Bilan.cErreur = QStringLiteral("Impossible d'enregistrer %1 : %2")
                            .arg(QDir::toNativeSeparators(m_iniSetup.FileName()), m_iniSetup.DerniereErreur());
    }
    return Bilan;
}
