#include "metadata/SourceOctets.h"

#include <QFile>

TSourceOctets::TSourceOctets(const uchar *pDonnees, qint64 nTailleDonnees)
    : m_pTete(pDonnees), m_nTailleTeteLue(pDonnees ? qMax<qint64>(0, nTailleDonnees) : 0), m_nTaille(m_nTailleTeteLue),
      m_lOuverte(true)
{}

TSourceOctets::TSourceOctets(const QString &cFichier) : m_Fichier(std::make_unique<QFile>(cFichier))
{
    if (!m_Fichier->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    m_nTaille = m_Fichier->size();
    if (m_nTaille < 0)
        return;
    m_Tete.resize(qMin(m_nTaille, nTailleTete));
    const qint64 nLu = m_Tete.isEmpty() ? 0 : m_Fichier->read(m_Tete.data(), m_Tete.size());
    if (nLu < 0)
        return;
    m_Tete.truncate(nLu);
    m_pTete = reinterpret_cast<const uchar *>(m_Tete.constData());
    m_nTailleTeteLue = nLu;
    m_lOuverte = true;
}

TSourceOctets::~TSourceOctets() = default;

const uchar *TSourceOctets::Octets(qint64 nPos, qint64 nLongueur)
{
    if (!m_lOuverte || nPos < 0 || nLongueur < 0 || nLongueur > nTailleFenetre || nPos > m_nTaille
        || nLongueur > m_nTaille - nPos)
        return nullptr;
    if (nLongueur <= m_nTailleTeteLue - nPos)
        return m_pTete + nPos;
    if (!m_Fichier)
        return nullptr;
    if (m_nPosFenetre >= 0 && nPos >= m_nPosFenetre && nLongueur <= m_Fenetre.size() - (nPos - m_nPosFenetre))
        return reinterpret_cast<const uchar *>(m_Fenetre.constData()) + (nPos - m_nPosFenetre);
    // A window from the requested place on, so that the entries of an IFD lying past the head
    // cost one read, not one per entry.
    const qint64 nVoulu = qMin(nTailleFenetre, m_nTaille - nPos);
    m_Fenetre.resize(nVoulu);
    m_nPosFenetre = -1;
    if (!m_Fichier->seek(nPos))
        return nullptr;
    const qint64 nLu = m_Fichier->read(m_Fenetre.data(), nVoulu);
    if (nLu < nLongueur)
        return nullptr;
    m_Fenetre.truncate(nLu);
    m_nPosFenetre = nPos;
    return reinterpret_cast<const uchar *>(m_Fenetre.constData());
}
