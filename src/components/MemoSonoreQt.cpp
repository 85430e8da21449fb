#include "components/MemoSonoreQt.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

TMemoSonoreQt::TMemoSonoreQt(QObject *Parent) : QObject(Parent) {}

TMemoSonoreQt::~TMemoSonoreQt()
{
    Arrete();
}

void TMemoSonoreQt::Joue(const QString &cFichier)
{
    Arrete();
    if (cFichier.isEmpty() || !QFileInfo(cFichier).isFile())
        return;
    if (!m_pLecteur) {
        m_pLecteur = new QMediaPlayer(this);
        m_pSortie = new QAudioOutput(this);
        m_pLecteur->setAudioOutput(m_pSortie);
        // A memo that cannot be played is not heard, and nothing more: the player is just
        // stopped so that the next memo starts clean.
        connect(m_pLecteur, &QMediaPlayer::errorOccurred, m_pLecteur, &QMediaPlayer::stop);
    }
    m_pLecteur->setSource(QUrl::fromLocalFile(cFichier));
    m_pLecteur->play();
}

void TMemoSonoreQt::Arrete()
{
    if (m_pLecteur && m_pLecteur->playbackState() != QMediaPlayer::StoppedState)
        m_pLecteur->stop();
}

bool TMemoSonoreQt::EnCours() const
{
    return m_pLecteur && m_pLecteur->playbackState() == QMediaPlayer::PlayingState;
}
