#pragma once
// Loading the picture of the image pane on a worker thread, no larger than the zoom needs: a
// JPEG at the largest reduction (1/2, 1/4, 1/8) that still covers the shown size, a raw at its
// half-size development when half covers it, anything else at full size. A decode that falls
// short of a later zoom is completed by a full one, and both are kept for the current image.
//
// Only one decode waits at a time: a newer request replaces the waiting one, so that holding
// a key down in the list never queues decodes. The entry after the current one is decoded
// ahead, once the current one is done.

#include "storage/TailleImage.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// One decode of an image file.
struct TImageDecodee
{
    QString cFichier;
    QImage Image;        // as decoded: maybe a reduction of the image
    TTailleImage Taille; // the image's own width and height
    int nEchelle = 1;    // Image is the image reduced by this (1: full size)
    QString cErreur;     // why the file could not be read (Image is then null)

    bool Valide() const { return !Image.isNull(); }
    // Whether the picture can be shown at that size without missing detail: a full-size
    // decode always can, a reduction when it is at least that large.
    bool Couvre(QSize Affichee) const;
};

// What the pane needs: the file, the zoom entry and the pane's size (device pixels).
struct TDemandeImage
{
    QString cFichier;
    int nZoom = 6;
    QSize Panneau;
};

// Decodes a file for a request, on the calling thread. nOctetsMax bounds the pixels of one
// decode (a larger one fails as if memory had run out; 0: no bound besides the readers' own).
// Progres receives the stage (0, 1, 2) and a percentage.
TImageDecodee DecodePour(const TDemandeImage &Demande, qint64 nOctetsMax,
                         const std::function<void(int nEtape, int nPourcent)> &Progres = {});

class TChargeurImage : public QObject
{
    Q_OBJECT
public:
    explicit TChargeurImage(QObject *Parent = nullptr);
    ~TChargeurImage() override;

    // Asks for the picture of a file for a zoom and a pane. When a kept decode covers it, Pret
    // is emitted before the call returns; otherwise the decode runs on the worker and Pret
    // follows. cSuivant (may be empty) is decoded ahead afterwards.
    void Demande(const TDemandeImage &Demande, const QString &cSuivant = {});
    // Forgets the current file: a decode still running for it is ignored when it ends.
    void Abandonne();

    // The decodes kept for the current file: the first one made (usually reduced) and a full
    // one once a zoom needed it. Null images when there is none.
    const TImageDecodee &Reduite() const { return m_Reduite; }
    const TImageDecodee &Complete() const { return m_Complete; }
    // The best kept decode of the current file (the full one when there is one).
    const TImageDecodee &Meilleure() const { return m_Complete.Valide() ? m_Complete : m_Reduite; }
    // The full decode of the current file failed: the reduced one is all there is.
    bool CompleteImpossible() const { return m_lCompleteImpossible; }
    // Forgets what was decoded for a file (its picture changed on disk).
    void Oublie(const QString &cFichier);

    // Decodes larger than this many bytes of pixels fail as unallocatable (0: no bound).
    void MetOctetsMax(qint64 nOctetsMax);

    // Every decode made, in order, with its reduction: for the tests and the benchmark.
    struct TTrace
    {
        QString cFichier;
        int nEchelle = 1;
        bool lAvance = false;
    };
    QList<TTrace> Decodages() const;
    // True while the worker has a decode running or waiting.
    bool Occupe() const;

signals:
    // The picture for the current file (or why it could not be read). Emitted on the thread
    // the loader belongs to.
    void Pret(const TImageDecodee &Image);
    // Progress of the current file's decode: stage 0 starting, 1 running, 2 ending.
    void Progres(int nEtape, int nPourcent);

private:
    struct TTache
    {
        TDemandeImage Demande;
        bool lAvance = false;
    };
    void Travaille();
    void Recoit(const TImageDecodee &Image, bool lAvance);
    bool ServeurDepuisGardees(const TDemandeImage &Demande);

    // User-interface thread only.
    QString m_cCourant;
    TImageDecodee m_Reduite;
    TImageDecodee m_Complete;
    TImageDecodee m_Avance;             // the entry after the current one, decoded ahead
    bool m_lCompleteImpossible = false; // the full decode failed: the reduced one serves

    // Shared with the worker.
    mutable std::mutex m_Verrou;
    std::condition_variable m_Reveil;
    std::optional<TTache> m_Attente;
    std::optional<TTache> m_AttenteAvance;
    bool m_lTravail = false;
    bool m_lFin = false;
    qint64 m_nOctetsMax = 0;
    QList<TTrace> m_Traces;
    std::thread m_Fil;
};
