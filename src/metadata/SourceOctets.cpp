#include "metadata/SourceOctets.h"

#include <QFile>

TSourceOctets::TSourceOctets(const uchar *pDonnees, qint64 nTailleDonnees)
    : pTete(pDonnees), nTailleTeteLue(pDonnees ? qMax<qint64>(0, nTailleDonnees) : 0),
      nTaille(nTailleTeteLue), lOuverte(true)
{
}

TSourceOctets::TSourceOctets(const QString &cFichier) : Fichier(std::make_unique<QFile>(cFichier))
{
    if (!Fichier->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    nTaille = Fichier->size();
    if (nTaille < 0)
        return;
    Tete.resize(qMin(nTaille, nTailleTete));
    const qint64 nLu = Tete.isEmpty() ? 0 : Fichier->read(Tete.data(), Tete.size());
    if (nLu < 0)
        return;
    Tete.truncate(nLu);
    pTete = reinterpret_cast<const uchar *>(Tete.constData());
    nTailleTeteLue = nLu;
    lOuverte = true;
}

TSourceOctets::~TSourceOctets() = default;

const uchar *TSourceOctets::Octets(qint64 nPos, qint64 nLongueur)
{
    if (!lOuverte || nPos < 0 || nLongueur < 0 || nLongueur > nTailleFenetre || nPos > nTaille
        || nLongueur > nTaille - nPos)
        return nullptr;
    if (nLongueur <= nTailleTeteLue - nPos)
        return pTete + nPos;
    if (!Fichier)
        return nullptr;
    if (nPosFenetre >= 0 && nPos >= nPosFenetre && nLongueur <= Fenetre.size() - (nPos - nPosFenetre))
        return reinterpret_cast<const uchar *>(Fenetre.constData()) + (nPos - nPosFenetre);
    // A window from the requested place on, so that the entries of an IFD lying past the head
    // cost one read, not one per entry.
    const qint64 nVoulu = qMin(nTailleFenetre, nTaille - nPos);
    Fenetre.resize(nVoulu);
    nPosFenetre = -1;
    if (!Fichier->seek(nPos))
        return nullptr;
    const qint64 nLu = Fichier->read(Fenetre.data(), nVoulu);
    if (nLu < nLongueur)
        return nullptr;
    Fenetre.truncate(nLu);
    nPosFenetre = nPos;
    return reinterpret_cast<const uchar *>(Fenetre.constData());
}
