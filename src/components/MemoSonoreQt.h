#pragma once
// The sound memo played through Qt Multimedia. The player is made on the first sound, so that a
// run that plays none never loads the sound system.

#include "platform/MemoSonore.h"

#include <QObject>

class QAudioOutput;
class QMediaPlayer;

class TMemoSonoreQt : public QObject, public IMemoSonore
{
    Q_OBJECT
public:
    explicit TMemoSonoreQt(QObject *Parent = nullptr);
    ~TMemoSonoreQt() override;

    void Joue(const QString &cFichier) override;
    void Arrete() override;
    bool EnCours() const override;

private:
    QMediaPlayer *m_pLecteur = nullptr;
    QAudioOutput *m_pSortie = nullptr;
};
