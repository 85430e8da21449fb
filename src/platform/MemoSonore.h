#pragma once
// The sound memo of an image: a short recording the camera left beside the picture. One sound
// plays at a time, without making the caller wait; a sound that cannot play (no sound device,
// unknown codec, file gone) is simply not heard: nothing is reported.

#include <QString>

class IMemoSonore
{
public:
    virtual ~IMemoSonore() = default;
    // Stops any sound still playing, then starts this one and returns at once.
    virtual void Joue(const QString &cFichier) = 0;
    // Stops the sound playing, if any.
    virtual void Arrete() = 0;
    // True while a sound started by Joue is playing.
    virtual bool EnCours() const = 0;
};

// A player that plays nothing and remembers what it was asked: for the tests of the windows
// that play memos, and for a run without sound.
class TMemoSonoreFactice : public IMemoSonore
{
public:
    void Joue(const QString &cFichier) override
    {
        cJoue = cFichier;
        ++nLectures;
        lEnCours = !cFichier.isEmpty();
    }
    void Arrete() override
    {
        if (lEnCours)
            ++nArrets;
        lEnCours = false;
    }
    bool EnCours() const override { return lEnCours; }

    QString cJoue;
    int nLectures = 0;
    int nArrets = 0; // stops of a sound that was playing
    bool lEnCours = false;
};
