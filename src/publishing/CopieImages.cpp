#include "publishing/CopieImages.h"

#include "exploration/ModeleListe.h"
#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "metadata/CacheMeta.h"
#include "platform/Messages.h"
#include "platform/OperationsFichiers.h"
#include "platform/Volumes.h"
#include "publishing/SuppressionImages.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool Pris(const QString &cChemin)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(cChemin).constData(), &st) == 0 || errno != ENOENT;
}

QString SansSlashFinal(const QString &c)
{
    return c.size() > 1 && c.endsWith(QLatin1Char('/')) ? c.chopped(1) : c;
}

QString AvecSlashFinal(const QString &c)
{
    return c.endsWith(QLatin1Char('/')) ? c : c + QLatin1Char('/');
}

QString NomDe(const QString &cChemin)
{
    return cChemin.mid(cChemin.lastIndexOf(QLatin1Char('/')) + 1);
}

QString Extension(const QString &cNom)
{
    const qsizetype n = cNom.lastIndexOf(QLatin1Char('.'));
    return n <= 0 ? QString() : cNom.mid(n);
}

QString Base(const QString &cNom)
{
    const qsizetype n = cNom.lastIndexOf(QLatin1Char('.'));
    return n <= 0 ? cNom : cNom.left(n);
}

// The companions an image brings along, as the settings ask.
QStringList Compagnons(const QString &cImage, const TParamsCopie &P)
{
    QStringList l;
    if (P.lTrtTHMDsOpFic && EstCRW(cImage))
        if (const QString c = CompagnonTHM(cImage); !c.isEmpty())
            l << c;
    if (P.lTrtWAVDsOpFic)
        if (const QString c = CompagnonWAV(cImage); !c.isEmpty())
            l << c;
    return l;
}

QString RaisonDossier(const QString &cDossier, int nErrno)
{
    return QStringLiteral("Impossible de copier vers le dossier '%1' : %2.").arg(cDossier, TexteErreurFichier(nErrno));
}
} // namespace

QString TPreparationCopie::Titre() const
{
    return QStringLiteral("Copier %1 image(s) - %2").arg(Images.size()).arg(TexteTaille(nTailleTotale));
}

TPreparationCopie PreparerCopie(const TModeleListeImages &Modele, const TLecteursCD &Lecteurs)
{
    TPreparationCopie P;
    for (const int nLigne : Modele.LignesCochees()) {
        if (nLigne < 0 || nLigne >= Modele.Nombre())
            continue;
        TEnrLV Enr = Modele.Enr(nLigne);
        if (!Enr.lExiste || Enr.lIllisible)
            continue;
        QString cLecteur;
        if (!LecteurDeCle(Lecteurs, Enr.nNumCD, Enr.cChemin, cLecteur))
            continue;
        Enr.cLecteur = SansSlashFinal(cLecteur);
        if (Enr.cLecteur == QLatin1String("/"))
            Enr.cLecteur.clear();
        P.nTailleTotale += std::max<qint64>(0, Enr.nTaille);
        P.Images << std::move(Enr);
    }
    return P;
}

QString TextePlaceDispo(qint64 nLibre, const QString &cPointMontage)
{
    const QString cPlace = nLibre < 0 ? QStringLiteral("??? Ko") : TexteTaille(nLibre);
    return QStringLiteral("%1 disponibles sur %2:").arg(cPlace, SansSlashFinal(cPointMontage));
}

QString QuestionVider(const QString &cDossier)
{
    return QStringLiteral("Vider le dossier '") + cDossier + QStringLiteral("' avant la copie ?");
}

QString TexteImagesTraitees(int nTraitees, int nImages)
{
    return QStringLiteral("%1 Image(s) traitée(s) sur %2").arg(nTraitees).arg(nImages);
}

QString NomCopieUnique(const QString &cDossier, const QString &cNomFichier, bool lJpeg,
                       const QStringList &cExtCompagnons)
{
    const QString cD = AvecSlashFinal(cDossier);
    const QString cB = Base(cNomFichier);
    const QString cE = lJpeg ? QStringLiteral(".jpg") : Extension(cNomFichier);
    auto Libre = [&](const QString &cBase) {
        if (Pris(cD + cBase + cE))
            return false;
        for (const QString &cExt : cExtCompagnons)
            if (Pris(cD + cBase + cExt))
                return false;
        return true;
    };
    if (Libre(cB))
        return cB + cE;
    for (int n = 2;; ++n) {
        const QString c = QStringLiteral("%1(%2)").arg(cB).arg(n);
        if (Libre(c))
            return c + cE;
    }
}

TCopieImages::TCopieImages(TBigIniFile &iniSetup, TBigIniFile &iniBDD, const IVolumes &Volumes,
                           IOperationsFichiers &Operations, TParamsCopie Params)
    : m_iniSetup(iniSetup), m_iniBDD(iniBDD), m_Volumes(Volumes), m_Operations(Operations), m_Params(std::move(Params))
{
    if (!m_Params.fnChargeImage)
        m_Params.fnChargeImage = [](const QString &c) { return ChargeImage(c, false, 0, false).Image; };
}

QString TCopieImages::ErreurDestination(const QString &cDossier) const
{
    const TVolume V = m_Volumes.VolumeDe(cDossier);
    if (V.lCD && V.nSerie == 0)
        return QStringLiteral("Impossible de copier vers le dossier '%1' : le lecteur ne contient pas de disque.")
            .arg(cDossier);
    struct stat st
    {
    };
    const QByteArray c = QFile::encodeName(cDossier);
    if (cDossier.isEmpty() || ::stat(c.constData(), &st) != 0)
        return RaisonDossier(cDossier, cDossier.isEmpty() ? ENOENT : errno);
    if (!S_ISDIR(st.st_mode))
        return RaisonDossier(cDossier, ENOTDIR);
    if (!V.lCD && ::access(c.constData(), W_OK | X_OK) != 0)
        return RaisonDossier(cDossier, errno);
    return {};
}

QString TCopieImages::RefusVider(const QString &cDossier, const QList<TEnrLV> &Images) const
{
    QSet<QPair<quint64, quint64>> Sources;
    for (const TEnrLV &Enr : Images) {
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(Enr.CheminComplet()).constData(), &st) == 0)
            Sources.insert({quint64(st.st_dev), quint64(st.st_ino)});
    }
    const QDir D(cDossier);
    for (const QString &cNom : D.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        struct stat st
        {
        };
        if (EstImage(cNom) && ::stat(QFile::encodeName(D.filePath(cNom)).constData(), &st) == 0
            && Sources.contains({quint64(st.st_dev), quint64(st.st_ino)}))
            return cTexteViderRefuse;
    }
    return {};
}

int TCopieImages::ViderDossier(const QString &cDossier, bool lDefinitif)
{
    TParamsSuppression P;
    P.cDossierVignettes = m_Params.cDossierVignettes;
    P.lTrtDescription = m_Params.lTrtDescription;
    P.lTrtTHMDsOpFic = m_Params.lTrtTHMDsOpFic;
    P.lTrtWAVDsOpFic = m_Params.lTrtWAVDsOpFic;
    TSuppressionImages Suppression(m_iniSetup, m_iniBDD, m_Volumes, m_Operations, P);
    Suppression.pDescriptions = pDescriptions;
    Suppression.pAlbum = pAlbum;

    const QDir D(cDossier);
    const QStringList cNoms = D.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    // The .THM files to go: those beside a .CRW, looked for before the .CRW files go.
    QStringList cTHM;
    if (m_Params.lTrtTHMDsOpFic)
        for (const QString &cNom : cNoms)
            if (EstCRW(cNom))
                if (const QString c = CompagnonTHM(D.filePath(cNom)); !c.isEmpty())
                    cTHM << c;
    int nEchecs = 0;
    for (const QString &cNom : cNoms) {
        if (!EstImage(cNom))
            continue;
        // A link to an image is not this folder's image: only the link goes, without data.
        const QString cChemin = D.filePath(cNom);
        if (QFileInfo(cChemin).isSymLink()) {
            if (!(lDefinitif ? m_Operations.Supprime(cChemin) : m_Operations.Corbeille(cChemin)).lOk)
                ++nEchecs;
            continue;
        }
        if (Suppression.SupprimerImage(cChemin, lDefinitif).Ok()) {
            m_lSetupModifie = true;
            m_lBDDModifie = true;
        } else
            ++nEchecs;
    }
    QStringList cAutres = cTHM;
    if (m_Params.lTrtWAVDsOpFic)
        for (const QString &cNom : cNoms)
            if (ExtensionMaj(cNom) == QLatin1String(".WAV"))
                cAutres << D.filePath(cNom);
    for (const QString &c : std::as_const(cAutres))
        if (!m_Operations.Absent(c))
            lDefinitif ? m_Operations.Supprime(c) : m_Operations.Corbeille(c);
    return nEchecs;
}

bool TCopieImages::CopieDonnees(const TEnrLV &Source, const QString &cCleCopie, bool lReencode, bool lCopieSurCD)
{
    const QString cCle = Source.Cle();
    const bool lJpeg = EstJPEG(Source.cChemin);
    const bool lSourceSurCD = Source.nNumCD != 0;
    QStringList cSections = {cSectionMotsCles, cSectionCoupsDeCoeur, cSectionLegendes};
    if (!lReencode)
        cSections += cSectionsTraitements;
    if (!lJpeg || (lCopieSurCD && lSourceSurCD))
        cSections << cSectionResolutionsVignettes;
    if (lCopieSurCD && lSourceSurCD)
        cSections << cSectionEXIF << cSectionIPTC << cSectionTaillesVignettes;

    bool lSetup = false;
    // Whatever a former file of that name left under the key is not the copy's.
    QStringList cToutes =
        cSectionsTraitements
        + QStringList{cSectionMotsCles, cSectionCoupsDeCoeur, cSectionLegendes, cSectionResolutionsVignettes};
    if (lCopieSurCD)
        cToutes << cSectionEXIF << cSectionIPTC << cSectionTaillesVignettes;
    for (const QString &cSection : std::as_const(cToutes))
        if (m_iniSetup.ValueExists(cSection, cCleCopie)) {
            m_iniSetup.DeleteKey(cSection, cCleCopie);
            lSetup = true;
        }
    for (const QString &cSection : std::as_const(cSections))
        if (m_iniSetup.ValueExists(cSection, cCle)) {
            m_iniSetup.WriteString(cSection, cCleCopie, m_iniSetup.ReadString(cSection, cCle, {}));
            lSetup = true;
        }
    // A CD copy of an image not on a CD: its cached data come from the list's entry.
    if (lCopieSurCD && !lSourceSurCD) {
        if (Source.lEXIF)
            m_iniSetup.WriteString(cSectionEXIF, cCleCopie, RecordEXIF(Source));
        if (Source.lIPTC)
            m_iniSetup.WriteString(cSectionIPTC, cCleCopie, RecordIPTC(Source));
        m_iniSetup.WriteString(cSectionTaillesVignettes, cCleCopie, QString::number(Source.nTaille));
        if (lJpeg)
            m_iniSetup.WriteString(cSectionResolutionsVignettes, cCleCopie,
                                   QString::number((Source.nLargeur & 0xFFFF) | ((Source.nHauteur & 0xFFFF) << 16)));
        lSetup = true;
    }
    m_lSetupModifie |= lSetup;

    bool lBDD = false;
    if (m_iniBDD.SectionExists(cCleCopie)) {
        m_iniBDD.EraseSection(cCleCopie);
        lBDD = true;
    }
    if (m_iniBDD.SectionExists(cCle)) {
        QStringList cCles;
        m_iniBDD.ReadSection(cCle, cCles);
        for (const QString &c : std::as_const(cCles))
            m_iniBDD.WriteString(cCleCopie, c, {});
        lBDD = true;
    }
    m_lBDDModifie |= lBDD;
    return lSetup || lBDD;
}

void TCopieImages::CopieDescription(const TEnrLV &Source, qint32 nVolume, const QString &cCheminCopie)
{
    if (!m_Params.lTrtDescription || !pDescriptions)
        return;
    const QString c = pDescriptions->DescriptionImage(Source.nNumCD, Source.cChemin, nDescLecture);
    if (c.isEmpty())
        return;
    pDescriptions->DescriptionImage(nVolume, cCheminCopie, nDescEcriture, c);
    // A CD image's description lives in the settings store.
    if (nVolume != 0)
        m_lSetupModifie = true;
}

TBilanCopie TCopieImages::CopierImages(const QList<TEnrLV> &Images, const QString &cDossier)
{
    TBilanCopie Bilan;
    Bilan.nImages = int(Images.size());
    const QString cD = AvecSlashFinal(cDossier);
    const qint64 nMax = std::max<qint64>(0, Images.size() - 1);
    for (qsizetype i = 0; i < Images.size(); ++i) {
        const TEnrLV &Enr = Images[i];
        const QString cSource = Enr.CheminComplet();
        auto Erreur = [&](const QString &cRaison) {
            Bilan.cErreurs << Enr.NomFichier() + QStringLiteral(" : ") + cRaison;
        };
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(cSource).constData(), &st) != 0)
            Erreur(TexteErreurFichier(errno));
        else {
            const bool lReencode = m_Params.lEffTrt && m_Params.fnATrtsImage && m_Params.fnAppliqueTrtsImage
                                   && m_Params.fnATrtsImage(m_iniSetup, Enr);
            const QStringList cCompagnons = Compagnons(cSource, m_Params);
            QStringList cExt;
            for (const QString &c : cCompagnons)
                cExt << Extension(NomDe(c));
            const QString cNom = NomCopieUnique(cD, Enr.NomFichier(), lReencode && EstAutreImage(Enr.cChemin), cExt);
            const QString cCopie = cD + cNom;

            TResultatCopie r;
            if (lReencode) {
                QImage Image;
                try {
                    Image = m_Params.fnChargeImage(cSource);
                } catch (const EImageIllisible &e) {
                    r.cErreur = e.Message();
                }
                if (!Image.isNull() && !m_Params.fnAppliqueTrtsImage(Image, m_iniSetup, Enr))
                    Image = QImage();
                const QByteArray Jpeg = Image.isNull() ? QByteArray() : JpegCodec::EncodeMemoire(Image, 90);
                if (!Jpeg.isEmpty())
                    r = EcritVerifie(Jpeg, cCopie, st.st_mtim, m_Params.Options);
                else if (r.cErreur.isEmpty())
                    r.cErreur = QStringLiteral("image illisible");
            } else
                r = CopieVerifiee(cSource, cCopie, m_Params.Options);

            if (!r.lOk)
                Erreur(r.cErreur);
            else {
                ++Bilan.nTraitees;
                Bilan.cCopies << cCopie;
                if (m_Params.lCopieCriteres)
                    CopieDonnees(Enr, cCopie, lReencode, false);
                CopieDescription(Enr, 0, cCopie);
                // The name was chosen free for them too; one that cannot be copied stays behind.
                for (const QString &c : cCompagnons) {
                    const QString cCible = cD + Base(cNom) + Extension(NomDe(c));
                    if (const TResultatCopie rc = CopieVerifiee(c, cCible, m_Params.Options); !rc.lOk)
                        Bilan.cErreurs << NomDe(c) + QStringLiteral(" : ") + rc.cErreur;
                }
            }
        }
        Suivi.Position(i, nMax);
        if (i + 1 < Images.size() && Suivi.Arret()) {
            Bilan.lInterrompu = true;
            break;
        }
    }
    Fin(Bilan);
    return Bilan;
}

TBilanCopie TCopieImages::EnregistrerCopiesCD(const QList<TEnrLV> &Images, const QString &cDossierCD)
{
    TBilanCopie Bilan;
    Bilan.nImages = int(Images.size());
    const TVolume V = m_Volumes.VolumeDe(cDossierCD);
    if (!V.lCD || V.nSerie == 0) {
        Bilan.lAnnule = true;
        return Bilan;
    }
    const qint32 nVolume = static_cast<qint32>(V.nSerie);
    const QString cC = AvecSlashFinal(cDossierCD);
    const QString cDossierVignettesCD = m_Params.cDossierVignettes + IdVolume(V.nSerie) + QLatin1Char('/');
    if (!m_Params.cDossierVignettes.isEmpty())
        QDir().mkpath(cDossierVignettesCD);
    const qint64 nMax = std::max<qint64>(0, Images.size() - 1);
    for (qsizetype i = 0; i < Images.size(); ++i) {
        const TEnrLV &Enr = Images[i];
        const QString cFichier = cC + Enr.NomFichier();
        struct stat st
        {
        };
        // ISO 9660 keeps times to the second: a burnt file of this image has its size and
        // that second.
        if (::stat(QFile::encodeName(cFichier).constData(), &st) == 0 && S_ISREG(st.st_mode)
            && qint64(st.st_size) == Enr.nTaille && qint64(st.st_mtim.tv_sec) == Enr.nDate) {
            const QString cChemin = cFichier.mid(V.cPointMontage.size() - 1);
            ++Bilan.nTraitees;
            Bilan.cCopies << cFichier;
            CopieDonnees(Enr, CleImage(nVolume, cChemin), false, true);
            if (!m_Params.cDossierVignettes.isEmpty()) {
                const QString cVignette = NomVignette(m_Params.cDossierVignettes, Enr.nNumCD, Enr.cChemin);
                const QString cVignetteCopie = NomVignette(m_Params.cDossierVignettes, nVolume, cChemin);
                if (QFileInfo::exists(cVignette)) {
                    // A cache file: an older one of that key is replaced.
                    QFile::remove(cVignetteCopie);
                    CopieVerifiee(cVignette, cVignetteCopie);
                }
            }
            CopieDescription(Enr, nVolume, cChemin);
        }
        Suivi.Position(i, nMax);
        if (i + 1 < Images.size() && Suivi.Arret()) {
            Bilan.lInterrompu = true;
            break;
        }
    }
    Fin(Bilan);
    return Bilan;
}

void TCopieImages::Fin(TBilanCopie &Bilan)
{
    Bilan.cErreursEnregistrement = EnregistreStores();
}

QStringList TCopieImages::EnregistreStores()
{
    QStringList cErreurs;
    EnregistreSiModifie(m_iniSetup, m_lSetupModifie, cErreurs);
    EnregistreSiModifie(m_iniBDD, m_lBDDModifie, cErreurs);
    return cErreurs;
}

namespace
{
void Conclut(const TBilanCopie &Bilan, const QString &cDossier, IMessages &Messages)
{
    if (!Bilan.cErreurs.isEmpty()) {
        QStringList l = Bilan.cErreurs.mid(0, 10);
        if (Bilan.cErreurs.size() > 10)
            l << QStringLiteral("...");
        Messages.Erreur(nullptr,
                        QStringLiteral("Des images n'ont pas pu être copiées vers le dossier '%1' :\n").arg(cDossier)
                            + l.join(u'\n'));
    }
    for (const QString &c : Bilan.cErreursEnregistrement)
        Messages.Erreur(nullptr, c);
    Messages.Information(nullptr, Bilan.MessageFinal());
}
} // namespace

TBilanCopie ConfirmeEtCopie(TCopieImages &Copie, const QList<TEnrLV> &Images, const QString &cDossier, bool lViderAvant,
                            const std::function<std::optional<bool>(const QString &cQuestion)> &Demande,
                            IMessages &Messages)
{
    TBilanCopie Annule;
    Annule.nImages = int(Images.size());
    Annule.lAnnule = true;
    if (const QString c = Copie.ErreurDestination(cDossier); !c.isEmpty()) {
        Messages.Erreur(nullptr, c);
        return Annule;
    }
    if (lViderAvant) {
        if (Copie.RefusVider(cDossier, Images) == cTexteViderRefuse) {
            Messages.Attention(nullptr, cTexteViderRefuse);
            return Annule;
        }
        const std::optional<bool> lDefinitif = Demande ? Demande(QuestionVider(cDossier)) : std::nullopt;
        if (!lDefinitif)
            return Annule;
        if (const int n = Copie.ViderDossier(cDossier, *lDefinitif); n > 0)
            Messages.Attention(nullptr, QStringLiteral("%1 image(s) n'ont(a) pas été traitée(s).").arg(n));
    }
    TBilanCopie Bilan = Copie.CopierImages(Images, cDossier);
    Conclut(Bilan, cDossier, Messages);
    return Bilan;
}

TBilanCopie ConfirmeEtEnregistreCD(TCopieImages &Copie, const QList<TEnrLV> &Images, const QString &cDossierCD,
                                   IMessages &Messages)
{
    if (const QString c = Copie.ErreurDestination(cDossierCD); !c.isEmpty()) {
        Messages.Erreur(nullptr, c);
        TBilanCopie Annule;
        Annule.nImages = int(Images.size());
        Annule.lAnnule = true;
        return Annule;
    }
    TBilanCopie Bilan = Copie.EnregistrerCopiesCD(Images, cDossierCD);
    Conclut(Bilan, cDossierCD, Messages);
    return Bilan;
}
