#include "exploration/ChargeurImage.h"

#include "exploration/RapportZoom.h"
#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"

#include <QFile>
#include <QMetaObject>

#include <new>

namespace
{
// Larger JPEG files are no photographs; they are refused before being read into memory.
constexpr qint64 nTailleJpegMax = 1LL << 30;

bool TropGros(qint64 w, qint64 h, qint64 nOctetsMax)
{
    return nOctetsMax > 0 && w * h * 4 > nOctetsMax;
}

void DecodeJpeg(const TDemandeImage &D, qint64 nOctetsMax, TImageDecodee &R,
                const std::function<void(int, int)> &Progres)
{
    QFile f(D.cFichier);
    if (!f.open(QIODevice::ReadOnly)) {
        R.cErreur = QStringLiteral("Fichier illisible : %1").arg(f.errorString());
        return;
    }
    if (f.size() > nTailleJpegMax) {
        R.cErreur = QStringLiteral("Fichier trop grand");
        return;
    }
    const QByteArray Donnees = f.readAll();
    if (!JpegCodec::TailleMemoire(Donnees, R.Taille, &R.cErreur))
        return;
    const QSize Affichee = RapportZoom::Affichage(D.nZoom, R.Taille.nLargeur, R.Taille.nHauteur, D.Panneau).Taille;
    R.nEchelle = RapportZoom::EchelleJpeg(R.Taille.nLargeur, R.Taille.nHauteur, Affichee);
    const qint64 k = R.nEchelle;
    if (TropGros((R.Taille.nLargeur + k - 1) / k, (R.Taille.nHauteur + k - 1) / k, nOctetsMax)) {
        R.cErreur = QStringLiteral("mémoire insuffisante");
        return;
    }
    if (Progres)
        Progres(0, 0);
    std::function<void(int)> Pourcent;
    if (Progres)
        Pourcent = [&Progres](int n) { Progres(1, n); };
    R.Image = JpegCodec::DecodeMemoireTaille(Donnees, R.nEchelle, &R.cErreur, nullptr, Pourcent);
    if (Progres)
        Progres(2, 100);
}

void DecodeAutre(const TDemandeImage &D, qint64 nOctetsMax, TImageDecodee &R,
                 const std::function<void(int, int)> &Progres)
{
    TTailleImage Taille;
    if (!Imaging::LitTaille(D.cFichier, Taille, &R.cErreur))
        return;
    R.Taille = Taille;
    const QSize Affichee = RapportZoom::Affichage(D.nZoom, Taille.nLargeur, Taille.nHauteur, D.Panneau).Taille;
    if (EstRAW(D.cFichier) && RapportZoom::DemiTailleSuffit(Taille.nLargeur, Taille.nHauteur, Affichee)) {
        if (TropGros(Taille.nLargeur / 2, Taille.nHauteur / 2, nOctetsMax)) {
            R.cErreur = QStringLiteral("mémoire insuffisante");
            return;
        }
        Imaging::TBitmap Bitmap;
        if (Progres)
            Progres(0, 0);
        const bool lOk = Imaging::ChargeBitmapDemiTaille(D.cFichier, Bitmap, &R.cErreur);
        if (Progres)
            Progres(2, 100);
        if (!lOk)
            return;
        R.Image = std::move(Bitmap.Image);
        R.Taille = Bitmap.TailleSource;
    } else {
        if (TropGros(Taille.nLargeur, Taille.nHauteur, nOctetsMax)) {
            R.cErreur = QStringLiteral("mémoire insuffisante");
            return;
        }
        TImageChargee Chargee = ChargeImage(D.cFichier, false, 0, false, Progres);
        R.Image = std::move(Chargee.Image);
        R.Taille = Chargee.Taille;
    }
    // A raw that could not be developed gives its preview, whose size is its own.
    const qint64 w = R.Image.width();
    R.nEchelle = w >= R.Taille.nLargeur ? 1 : int(qMax<qint64>(2, R.Taille.nLargeur / qMax<qint64>(w, 1)));
}
}

bool TImageDecodee::Couvre(QSize Affichee) const
{
    if (!Valide())
        return false;
    return nEchelle == 1 || (Image.width() >= Affichee.width() && Image.height() >= Affichee.height());
}

TImageDecodee DecodePour(const TDemandeImage &Demande, qint64 nOctetsMax,
                         const std::function<void(int nEtape, int nPourcent)> &Progres)
{
    TImageDecodee R;
    R.cFichier = Demande.cFichier;
    try {
        if (EstJPEG(Demande.cFichier) || ExtensionMaj(Demande.cFichier) == QLatin1String(".THM"))
            DecodeJpeg(Demande, nOctetsMax, R, Progres);
        else
            DecodeAutre(Demande, nOctetsMax, R, Progres);
    } catch (const EImageIllisible &e) {
        R.cErreur = e.Message();
    } catch (const std::bad_alloc &) {
        R.cErreur = QStringLiteral("mémoire insuffisante");
    }
    if (R.Image.isNull()) {
        R.Image = QImage();
        if (R.cErreur.isEmpty())
            R.cErreur = QStringLiteral("Image illisible");
    }
    return R;
}

TChargeurImage::TChargeurImage(QObject *Parent) : QObject(Parent)
{
    m_Fil = std::thread([this] { Travaille(); });
}

TChargeurImage::~TChargeurImage()
{
    {
        std::lock_guard Garde(m_Verrou);
        m_lFin = true;
        m_Attente.reset();
        m_AttenteAvance.reset();
    }
    m_Reveil.notify_all();
    m_Fil.join();
}

void TChargeurImage::MetOctetsMax(qint64 nOctetsMax)
{
    std::lock_guard Garde(m_Verrou);
    m_nOctetsMax = nOctetsMax;
}

QList<TChargeurImage::TTrace> TChargeurImage::Decodages() const
{
    std::lock_guard Garde(m_Verrou);
    return m_Traces;
}

bool TChargeurImage::Occupe() const
{
    std::lock_guard Garde(m_Verrou);
    return m_lTravail || m_Attente || m_AttenteAvance;
}

void TChargeurImage::Abandonne()
{
    m_cCourant.clear();
    m_Reduite = {};
    m_Complete = {};
    m_lCompleteImpossible = false;
    std::lock_guard Garde(m_Verrou);
    m_Attente.reset();
}

void TChargeurImage::Oublie(const QString &cFichier)
{
    if (m_Avance.cFichier == cFichier)
        m_Avance = {};
    if (m_cCourant == cFichier) {
        m_Reduite = {};
        m_Complete = {};
        m_lCompleteImpossible = false;
    }
}

bool TChargeurImage::ServeurDepuisGardees(const TDemandeImage &Demande)
{
    const TImageDecodee &Meilleure = this->Meilleure();
    if (!Meilleure.Valide()) {
        // A file that could not be read is not read again for another zoom.
        if (m_Reduite.cErreur.isEmpty())
            return false;
        emit Pret(m_Reduite);
        return true;
    }
    const QSize Affichee =
        RapportZoom::Affichage(Demande.nZoom, Meilleure.Taille.nLargeur, Meilleure.Taille.nHauteur, Demande.Panneau)
            .Taille;
    if (!Meilleure.Couvre(Affichee) && !m_lCompleteImpossible)
        return false;
    emit Pret(Meilleure);
    return true;
}

void TChargeurImage::Demande(const TDemandeImage &Demande, const QString &cSuivant)
{
    if (Demande.cFichier != m_cCourant) {
        m_cCourant = Demande.cFichier;
        m_Reduite = {};
        m_Complete = {};
        m_lCompleteImpossible = false;
        if (m_Avance.cFichier == Demande.cFichier) {
            m_Reduite = std::move(m_Avance);
            m_Avance = {};
            if (m_Reduite.Valide() && m_Reduite.nEchelle == 1)
                std::swap(m_Reduite, m_Complete);
        }
    }
    const bool lServie = ServeurDepuisGardees(Demande);
    {
        std::lock_guard Garde(m_Verrou);
        if (lServie)
            m_Attente.reset();
        else
            m_Attente = TTache{Demande, false};
        m_AttenteAvance.reset();
        if (!cSuivant.isEmpty() && cSuivant != Demande.cFichier && m_Avance.cFichier != cSuivant) {
            TDemandeImage Suivante = Demande;
            Suivante.cFichier = cSuivant;
            m_AttenteAvance = TTache{Suivante, true};
        }
    }
    m_Reveil.notify_all();
}

void TChargeurImage::Travaille()
{
    for (;;) {
        TTache Tache;
        qint64 nOctetsMax = 0;
        {
            std::unique_lock Garde(m_Verrou);
            m_Reveil.wait(Garde, [this] { return m_lFin || m_Attente || m_AttenteAvance; });
            if (m_lFin)
                return;
            if (m_Attente) {
                Tache = std::move(*m_Attente);
                m_Attente.reset();
            } else {
                Tache = std::move(*m_AttenteAvance);
                m_AttenteAvance.reset();
            }
            m_lTravail = true;
            nOctetsMax = m_nOctetsMax;
        }
        std::function<void(int, int)> Progres;
        if (!Tache.lAvance)
            Progres = [this](int nEtape, int nPourcent) {
                QMetaObject::invokeMethod(
                    this, [this, nEtape, nPourcent] { emit this->Progres(nEtape, nPourcent); }, Qt::QueuedConnection);
            };
        TImageDecodee Image = DecodePour(Tache.Demande, nOctetsMax, Progres);
        {
            std::lock_guard Garde(m_Verrou);
            m_Traces.append({Image.cFichier, Image.nEchelle, Tache.lAvance});
            m_lTravail = false;
        }
        QMetaObject::invokeMethod(
            this, [this, Image = std::move(Image), Tache] { Recoit(Image, Tache.lAvance); }, Qt::QueuedConnection);
    }
}

void TChargeurImage::Recoit(const TImageDecodee &Image, bool lAvance)
{
    if (Image.cFichier != m_cCourant) {
        if (lAvance)
            m_Avance = Image;
        return;
    }
    if (!Image.Valide()) {
        // A full decode that cannot be made leaves the reduced one in place.
        if (Meilleure().Valide()) {
            m_lCompleteImpossible = true;
            emit Pret(Meilleure());
            return;
        }
        m_Reduite = Image;
        emit Pret(m_Reduite);
        return;
    }
    if (Image.nEchelle == 1)
        m_Complete = Image;
    else if (!m_Reduite.Valide() || Image.nEchelle < m_Reduite.nEchelle)
        m_Reduite = Image;
    if (lAvance) {
        // The entry decoded ahead became current meanwhile: its own request need not run.
        std::lock_guard Garde(m_Verrou);
        if (m_Attente && m_Attente->Demande.cFichier == Image.cFichier) {
            const TDemandeImage &D = m_Attente->Demande;
            if (Meilleure().Couvre(
                    RapportZoom::Affichage(D.nZoom, Image.Taille.nLargeur, Image.Taille.nHauteur, D.Panneau).Taille))
                m_Attente.reset();
        }
    }
    emit Pret(Meilleure());
}
