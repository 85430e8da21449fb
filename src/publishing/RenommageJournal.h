#pragma once
// The intent journal of a renaming batch, in the data folder. It is written whole and synced
// before the first rename: one line per entry with its image's old, temporary and final names
// and file identity, then its cached thumbnail and companions, then an end line. As the batch
// saves each store it adds a line before the save (the store file's identity then) and one
// after; the journal is removed at the end. Every field is escaped so that any path, tabs and
// line breaks included, reads back as it was.

#include "publishing/Renommage.h"

#include <QHash>
#include <QSet>

class TJournalRenommage
{
public:
    explicit TJournalRenommage(QString cChemin) : m_cChemin(std::move(cChemin)) {}
    ~TJournalRenommage();

    // Writes and syncs the plans (replacing an old journal). 0 or the errno.
    int Ecrit(const QList<TPlanRenommage> &Plans);
    // Opens an existing journal to add lines to it (a replay saving its stores).
    int Reprend();
    // A store is about to be saved; its file's identity before the save.
    int AvantEnregistrement(const QString &cStore, const TIdentiteFichier &Identite);
    int Enregistre(const QString &cStore);
    // Removes the journal (the batch is over).
    void Termine();

    struct TContenu
    {
        QList<TPlanRenommage> Plans;
        QSet<QString> Enregistres;                   // stores saved
        QHash<QString, TIdentiteFichier> EnInstance; // stores whose save had begun
    };
    // False when there is no journal or it was never finished (then nothing was renamed).
    static bool Lit(const QString &cChemin, TContenu &Contenu);

    static QByteArray Echappe(const QString &c);
    static bool Desechappe(const QByteArray &b, QString &c);

private:
    int Ajoute(const QByteArray &Ligne);

    QString m_cChemin;
    int m_fd = -1;
};
