#include "thumbnails/ThumbnailCache.h"

#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "imaging/TailleEntete.h"
#include "platform/AtomicFile.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <deque>
#include <future>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>

namespace
{
qint64 ProduitArrondi(qint64 a, qint64 b, qint64 c)
{
    return (2 * a * b + c) / (2 * c);
}

// A JPEG comment segment placed right after the start-of-image marker.
QByteArray AvecCommentaire(const QByteArray &Jpeg, const QByteArray &Commentaire)
{
    if (Jpeg.size() < 2 || Commentaire.size() > 65533)
        return Jpeg;
    const qsizetype nLong = Commentaire.size() + 2;
    QByteArray Segment;
    Segment.reserve(nLong + 2);
    Segment.append(char(0xFF));
    Segment.append(char(0xFE));
    Segment.append(char((nLong >> 8) & 0xFF));
    Segment.append(char(nLong & 0xFF));
    Segment.append(Commentaire);
    QByteArray R = Jpeg.left(2);
    R.append(Segment);
    R.append(Jpeg.mid(2));
    return R;
}

void DateFichier(const QString &cFichier, qint64 nDate)
{
    if (nDate <= 0)
        return;
    timespec t[2];
    t[0].tv_sec = static_cast<time_t>(nDate);
    t[0].tv_nsec = 0;
    t[1] = t[0];
    ::utimensat(AT_FDCWD, QFile::encodeName(cFichier).constData(), t, 0);
}

QString LabelCD(const TBigIniFile &iniSetup, qint32 nNumCD)
{
    return iniSetup.ReadString(cSectionLabelsCD, IdVolume(static_cast<quint32>(nNumCD)), QString());
}

// T read and its header checked, without decoding it: the thumbnail fitted into D × D as the
// grid will show it. Empty with the reason when T cannot be read or is no JPEG.
TVignetteCompacte LitFichierVignette(const QString &cFichier, int nD, QString &cErreur)
{
    // A cache file is a few kilobytes; anything far larger is not one of ours.
    constexpr qint64 nTailleMax = 16 * 1024 * 1024;
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly)) {
        cErreur = QStringLiteral("vignette illisible : %1").arg(f.errorString());
        return {};
    }
    if (f.size() > nTailleMax) {
        cErreur = QStringLiteral("vignette trop grande");
        return {};
    }
    const QByteArray Octets = f.read(nTailleMax);
    TTailleImage t;
    if (!JpegCodec::TailleMemoire(Octets, t, &cErreur))
        return {};
    const QSize Ajustee = TailleAjustee(t.nLargeur, t.nHauteur, nD);
    TVignetteCompacte v =
        TVignetteCompacte::DeJpeg(Octets, QSize(static_cast<int>(t.nLargeur), static_cast<int>(t.nHauteur)), Ajustee);
    if (v.Vide())
        cErreur = QStringLiteral("vignette vide");
    return v;
}

// One placeholder per kind, disc and size, drawn once.
QImage Remplacement(const QString &cCle, const std::function<QImage()> &Dessine)
{
    static QMutex Verrou;
    static QHash<QString, QImage> Dessins;
    const QMutexLocker Garde(&Verrou);
    auto it = Dessins.find(cCle);
    if (it == Dessins.end()) {
        // A few discs and sizes at most; a long session that met many discs starts again.
        if (Dessins.size() > 256)
            Dessins.clear();
        it = Dessins.insert(cCle, Dessine());
    }
    return *it;
}
} // namespace

QSize TailleAjustee(qint64 w, qint64 h, int nD)
{
    if (w <= 0 || h <= 0 || nD <= 0)
        return {};
    const qint64 D = nD;
    qint64 nLargeur = 0;
    qint64 nHauteur = 0;
    if (std::max(w, h) == D) {
        nLargeur = w;
        nHauteur = h;
    } else if (w < h) {
        nHauteur = D;
        nLargeur = std::max<qint64>(1, ProduitArrondi(w, D, h));
    } else {
        nLargeur = D;
        nHauteur = std::max<qint64>(1, ProduitArrondi(h, D, w));
    }
    if (w < h && nLargeur % 4 == 1)
        ++nLargeur;
    return QSize(static_cast<int>(nLargeur), static_cast<int>(nHauteur));
}

QImage AjusteVignette(const QImage &Source, qint64 w, qint64 h, int nD)
{
    if (Source.isNull())
        return {};
    // w × h are the proportions of a picture decoded at a reduction, whose sides were rounded
    // (by less than a pixel each); a picture of other proportions, such as the 4:3 .THM of a
    // 3:2 CRW or a raw's preview, keeps its own.
    const qint64 sw = Source.width(), sh = Source.height();
    if (w <= 0 || h <= 0 || qAbs(sw * h - sh * w) >= w + h) {
        w = sw;
        h = sh;
    }
    const QSize Cible = TailleAjustee(w, h, nD);
    if (Cible.isEmpty())
        return {};
    QImage R = Source.size() == Cible ? Source : Source.scaled(Cible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return R.convertToFormat(R.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

TTravailVignette PrepareVignette(const TBigIniFile &iniSetup, const TParamsVignettes &Params,
                                 const TImageVignette &Image)
{
    TTravailVignette t;
    t.Image = Image;
    t.cFichierVignette = NomVignette(Params.cDossierVignettes, Image.nNumCD, Image.cChemin);
    t.lJPEG = EstJPEG(Image.cChemin);
    t.lManquante = !QFileInfo::exists(t.cFichierVignette);
    t.nD = Params.nD > 0 ? Params.nD : TailleVignette(nIndTailleVigsDefaut);
    t.lLireVigDsTHM = Params.lLireVigDsTHM;
    const QString cCle = Image.Cle();
    const bool lResolutionStockee = iniSetup.ValueExists(cSectionResolutionsVignettes, cCle);
    if ((Image.nNumCD != 0 || !t.lJPEG) && lResolutionStockee)
        t.ResolutionStockee =
            TTailleImage::DePacke(iniSetup.ReadString(cSectionResolutionsVignettes, cCle, QString()).toLongLong());
    if (Image.lExiste && !t.lManquante) {
        if (Image.nNumCD != 0)
            t.lDonneesManquantes = !iniSetup.ValueExists(cSectionTaillesVignettes, cCle) || !lResolutionStockee;
        else
            t.lDonneesManquantes = !t.lJPEG && !lResolutionStockee;
    }
    return t;
}

TResultatVignette CalculeVignette(const TTravailVignette &t)
{
    TResultatVignette r;
    const int D = t.nD;
    const bool lCD = t.Image.nNumCD != 0;
    const QString cFichier = t.Image.CheminComplet();
    try {
        QString cErreur;
        TVignetteCompacte Vignette;
        if (!t.Image.lExiste) {
            // Only a CD image may be shown without its file: from its thumbnail alone.
            if (!lCD)
                throw EImageIllisible(QStringLiteral("Fichier introuvable"));
            r.Resolution = t.ResolutionStockee;
            if (t.lManquante)
                throw EImageIllisible(QStringLiteral("Vignette absente"));
            Vignette = LitFichierVignette(t.cFichierVignette, D, cErreur);
            if (Vignette.Vide())
                throw EImageIllisible(cErreur);
        } else {
            bool lManquante = t.lManquante;
            if (!lManquante) {
                if (t.lJPEG && !lCD) {
                    TTailleImage Taille;
                    if (!JpegCodec::LitTaille(cFichier, Taille, &cErreur))
                        throw EImageIllisible(QStringLiteral("Image illisible : %1").arg(cErreur));
                    r.Resolution = Taille;
                } else
                    r.Resolution = t.ResolutionStockee;
                Vignette = LitFichierVignette(t.cFichierVignette, D, cErreur);
                // A cache file whose header is damaged is made again from the image, which is
                // at hand; damage further in shows when the grid decodes it.
                lManquante = Vignette.Vide();
                if (!lManquante && t.lDonneesManquantes) {
                    TTailleImage Taille;
                    if (r.Resolution.Vide() && LitTailleEntete(cFichier, Taille))
                        r.Resolution = Taille;
                    r.lDonneesRelues =
                        TailleEtDate(cFichier, r.nTailleFichier, r.nDateFichier) && (lCD || !r.Resolution.Vide());
                    if (r.lDonneesRelues)
                        DateFichier(t.cFichierVignette, r.nDateFichier);
                }
            }
            if (lManquante) {
                const TImageChargee Chargee = ChargeImage(cFichier, true, D, t.lLireVigDsTHM);
                r.Resolution = Chargee.Taille;
                r.Image = AjusteVignette(Chargee.Image, Chargee.Taille.nLargeur, Chargee.Taille.nHauteur, D);
                if (r.Image.isNull())
                    throw EImageIllisible(QStringLiteral("Image vide"));

                if (lCD)
                    QDir().mkpath(QFileInfo(t.cFichierVignette).absolutePath());
                QByteArray Donnees = JpegCodec::EncodeMemoire(r.Image, 90);
                // The grid keeps the bytes written, which decode to these pixels' size.
                Vignette = Donnees.isEmpty() ? TVignetteCompacte::DePixels(r.Image)
                                             : TVignetteCompacte::DeJpeg(Donnees, r.Image.size(), r.Image.size());
                if (EstNomVignetteAbrege(QFileInfo(t.cFichierVignette).fileName()))
                    Donnees = AvecCommentaire(Donnees, CommentaireVignette(t.Image.nNumCD, t.Image.cChemin));
                if (Donnees.isEmpty())
                    r.cErreurEcriture = QStringLiteral("Codage JPEG impossible");
                else if (EcritFichierAtomique(t.cFichierVignette, Donnees, &r.cErreurEcriture)) {
                    r.lEcrite = true;
                    TailleEtDate(cFichier, r.nTailleFichier, r.nDateFichier);
                    if (lCD || !t.lJPEG)
                        DateFichier(t.cFichierVignette, r.nDateFichier);
                }
            }
        }
        r.Vignette = Vignette;
    } catch (const EImageIllisible &e) {
        r.lIllisible = true;
        r.cErreur = e.Message();
    } catch (const std::exception &e) {
        r.lIllisible = true;
        r.cErreur = QString::fromLocal8Bit(e.what());
    }
    if (r.lIllisible) {
        r.Vignette = {};
        r.Image = QImage();
        r.Resolution = {D, D};
    }
    return r;
}

bool EcritDonneesVignette(TBigIniFile &iniSetup, const TTravailVignette &t, const TResultatVignette &r,
                          const TSourcesDonneesCD &Donnees)
{
    if (!r.lEcrite && !r.lDonneesRelues)
        return false;
    const QString cCle = t.Image.Cle();
    // A size that could not be read again is left out rather than stored as 0 × 0.
    const auto nPacke = r.lDonneesRelues && r.Resolution.Vide() ? std::nullopt : r.Resolution.Packe();
    if (t.Image.nNumCD != 0) {
        iniSetup.WriteString(cSectionTaillesVignettes, cCle, QString::number(r.nTailleFichier));
        if (nPacke)
            iniSetup.WriteString(cSectionResolutionsVignettes, cCle, QString::number(*nPacke));
        else if (iniSetup.ValueExists(cSectionResolutionsVignettes, cCle) && !r.lDonneesRelues)
            iniSetup.DeleteKey(cSectionResolutionsVignettes, cCle);
        if (Donnees.EcritMetadonnees)
            Donnees.EcritMetadonnees(iniSetup, cCle);
        if (Donnees.lTrtDescription && Donnees.pDescriptions) {
            // The disc's own descript.ion, read through its mount point.
            const QString cDescription =
                Donnees.pDescriptions->DescriptionImage(0, t.Image.CheminComplet(), nDescLecture);
            if (!cDescription.isEmpty())
                Donnees.pDescriptions->DescriptionImage(t.Image.nNumCD, t.Image.cChemin, nDescEcriture, cDescription);
        }
        return true;
    }
    if (!t.lJPEG) {
        // A resolution that cannot be packed is not stored: it would read back wrong.
        if (nPacke)
            iniSetup.WriteString(cSectionResolutionsVignettes, cCle, QString::number(*nPacke));
        else if (iniSetup.ValueExists(cSectionResolutionsVignettes, cCle))
            iniSetup.DeleteKey(cSectionResolutionsVignettes, cCle);
        return true;
    }
    return false;
}

void AbandonneVignette(const TTravailVignette &t, const TResultatVignette &r)
{
    if (r.lEcrite)
        QFile::remove(t.cFichierVignette);
}

QImage ImageRemplacement(const TBigIniFile &iniSetup, const TImageVignette &Image, int nD)
{
    if (Image.lExiste || Image.nNumCD == 0)
        return Remplacement(QStringLiteral("E|%1").arg(nD), [nD] { return ImageErreur(nD); });
    const QString cId = IdVolume(static_cast<quint32>(Image.nNumCD));
    const QString cLabel = LabelCD(iniSetup, Image.nNumCD);
    return Remplacement(QStringLiteral("N|%1|%2|%3").arg(nD).arg(cId, cLabel),
                        [&] { return ImageNonTrouvee(nD, cId, cLabel); });
}

TResultatVignette FaitVignette(TBigIniFile &iniSetup, const TParamsVignettes &Params, const TImageVignette &Image,
                               const TSourcesDonneesCD &Donnees, bool &lStoreModifie)
{
    const TTravailVignette t = PrepareVignette(iniSetup, Params, Image);
    TResultatVignette r = CalculeVignette(t);
    if (EcritDonneesVignette(iniSetup, t, r, Donnees))
        lStoreModifie = true;
    return r;
}

int ChargeVignettesEnOrdre(int nLignes, const TPiloteVignettes &Pilote)
{
    if (nLignes <= 0)
        return 0;
    const int nFils = Pilote.nFils > 0 ? Pilote.nFils : std::max(1, QThread::idealThreadCount());
    QThreadPool Pool;
    Pool.setMaxThreadCount(nFils);
    auto lAnnule = std::make_shared<std::atomic<bool>>(false);

    struct TEnCours
    {
        TTravailVignette Travail;
        std::future<TResultatVignette> Futur;
    };
    std::deque<TEnCours> File;
    // Enough work queued to keep every thread busy while the rows are applied one by one,
    // without decoding far beyond a row where the user may stop.
    const size_t nAvance = static_cast<size_t>(nFils) * 2 + 2;
    int nSoumis = 0;
    auto Soumet = [&]() {
        while (nSoumis < nLignes && File.size() < nAvance) {
            TEnCours e;
            e.Travail = Pilote.Prepare(nSoumis);
            auto Promesse = std::make_shared<std::promise<TResultatVignette>>();
            e.Futur = Promesse->get_future();
            Pool.start([Promesse, Travail = e.Travail, lAnnule]() {
                TResultatVignette r;
                if (lAnnule->load())
                    r.lAbandonne = true;
                else
                    r = CalculeVignette(Travail);
                Promesse->set_value(std::move(r));
            });
            File.push_back(std::move(e));
            ++nSoumis;
        }
    };

    for (int i = 0; i < nLignes; ++i) {
        Soumet();
        TEnCours e = std::move(File.front());
        File.pop_front();
        TResultatVignette r = e.Futur.get();
        if (Pilote.Applique)
            Pilote.Applique(i, e.Travail, r);
        if (Pilote.Interrompre && Pilote.Interrompre(i)) {
            lAnnule->store(true);
            for (TEnCours &Reste : File)
                AbandonneVignette(Reste.Travail, Reste.Futur.get());
            Pool.waitForDone();
            return i + 1;
        }
    }
    Pool.waitForDone();
    return nLignes;
}

TImageVignette ImageActuelle(const TImageVignette &Image, const TLecteursCD *pLecteurs)
{
    TImageVignette Actuelle = Image;
    if (Image.nNumCD == 0) {
        Actuelle.lExiste = !Image.cChemin.isEmpty() && QFileInfo::exists(Image.cChemin);
        return Actuelle;
    }
    if (pLecteurs) {
        QString cLecteur;
        Actuelle.lExiste = LecteurDeCle(*pLecteurs, Image.nNumCD, Image.cChemin, cLecteur);
        if (cLecteur.endsWith(QLatin1Char('/')))
            cLecteur.chop(1);
        Actuelle.cLecteur = cLecteur;
        return Actuelle;
    }
    // The drive as listed: an ejected disc leaves its mount folder empty or gone.
    Actuelle.lExiste = !Image.cLecteur.isEmpty() && QFileInfo::exists(Image.CheminComplet());
    if (!Actuelle.lExiste)
        Actuelle.cLecteur.clear();
    return Actuelle;
}

bool EffaceVignettePourRecreer(const TParamsVignettes &Params, const TImageVignette &Image,
                               const TLecteursCD *pLecteurs)
{
    if (!ImageActuelle(Image, pLecteurs).lExiste)
        return false;
    const QString cFichier = NomVignette(Params.cDossierVignettes, Image.nNumCD, Image.cChemin);
    QFile f(cFichier);
    if (f.exists()) {
        f.setPermissions(f.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
        if (!f.remove())
            return false;
    }
    return true;
}

bool SupprimeVignette(TBigIniFile &iniSetup, const TParamsVignettes &Params, const TImageVignette &Image,
                      bool &lStoreModifie, const TLecteursCD *pLecteurs)
{
    if (!EffaceVignettePourRecreer(Params, Image, pLecteurs))
        return false;
    const QString cCle = Image.Cle();
    if (iniSetup.ValueExists(cSectionResolutionsVignettes, cCle)) {
        iniSetup.DeleteKey(cSectionResolutionsVignettes, cCle);
        lStoreModifie = true;
    }
    // A CD image keeps its TAILLES VIGNETTES key: it is the CD's history.
    if (Image.nNumCD == 0 && iniSetup.ValueExists(cSectionTaillesVignettes, cCle)) {
        iniSetup.DeleteKey(cSectionTaillesVignettes, cCle);
        lStoreModifie = true;
    }
    return true;
}

bool RecreeVignette(TBigIniFile &iniSetup, const TParamsVignettes &Params, const TImageVignette &Image,
                    const TSourcesDonneesCD &Donnees, const TLecteursCD *pLecteurs, TResultatVignette &Resultat,
                    bool &lStoreModifie)
{
    Resultat = TResultatVignette();
    const TImageVignette Actuelle = ImageActuelle(Image, pLecteurs);
    if (!Actuelle.lExiste) {
        Resultat.lIllisible = true;
        Resultat.cErreur = QStringLiteral("Fichier introuvable");
        return false;
    }
    TTravailVignette t = PrepareVignette(iniSetup, Params, Actuelle);
    // Decoded from the image whatever the cache holds; the file is written whole beside T
    // and renamed over it, so T stays as it was until the new picture is there.
    t.lManquante = true;
    t.lDonneesManquantes = false;
    Resultat = CalculeVignette(t);
    if (Resultat.lIllisible || !Resultat.lEcrite)
        return false;
    if (EcritDonneesVignette(iniSetup, t, Resultat, Donnees))
        lStoreModifie = true;
    return true;
}

QStringList VignettesAnciennes(const QString &cDossierVignettes, const QDate &Jour)
{
    QStringList R;
    const QDateTime Limite(Jour, QTime(0, 0));
    const QDir Dossier(cDossierVignettes);
    const QFileInfoList Infos = Dossier.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &Info : Infos)
        if (Info.lastModified() < Limite)
            R.append(Info.absoluteFilePath());
    return R;
}

int SupprimeVignettesAnciennes(TBigIniFile &iniSetup, const QString &cDossierVignettes, const QStringList &Fichiers,
                               bool *plSauve)
{
    if (plSauve)
        *plSauve = true;
    int nSupprimes = 0;
    bool lModifie = false;
    for (const QString &cFichier : Fichiers) {
        // A shortened name keeps its key inside the file: read it before the file goes.
        const auto Cle = CleDeFichierVignette(cDossierVignettes, cFichier);
        QFile f(cFichier);
        f.setPermissions(f.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
        if (!f.remove())
            continue;
        ++nSupprimes;
        if (Cle) {
            const QString cCle = CleImage(Cle->nVolume, Cle->cChemin);
            if (iniSetup.ValueExists(cSectionResolutionsVignettes, cCle)) {
                iniSetup.DeleteKey(cSectionResolutionsVignettes, cCle);
                lModifie = true;
            }
        }
    }
    if (lModifie && !iniSetup.UpdateFile() && plSauve)
        *plSauve = false;
    return nSupprimes;
}

QString ImageDeVignette(const QString &cDossierVignettes, const QString &cNomFichierVignette)
{
    QString cDossier = cDossierVignettes;
    if (!cDossier.endsWith(QLatin1Char('/')))
        cDossier += QLatin1Char('/');
    const auto Cle = CleDeFichierVignette(cDossier, cDossier + cNomFichierVignette);
    if (!Cle || Cle->nVolume != 0 || !EstImage(Cle->cChemin))
        return {};
    return Cle->cChemin;
}
