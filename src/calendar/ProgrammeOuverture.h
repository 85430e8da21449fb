#pragma once
// The program that opens an image: the default application of the image's MIME type, looked up
// once per MIME type (a raw and a JPEG may well go to different programs), named by its
// desktop entry and started from that entry's Exec line as an argument list, never through a
// shell.

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct TProgrammeOuverture
{
    QString cNom;         // the entry's French name, else its name
    QStringList Commande; // the Exec line split into arguments, field codes still in it

    bool Valide() const { return !Commande.isEmpty(); }
    // The arguments to start it with for a file: %f, %F, %u, %U stand for the file (added at
    // the end when none does), the other field codes are dropped.
    QStringList Arguments(const QString &cFichier) const;
};

// Reads a desktop entry's text: nothing when it has no [Desktop Entry] group with an Exec line.
std::optional<TProgrammeOuverture> LitEntreeBureau(const QString &cTexte);
// Splits an Exec value into arguments, with its quoting and escapes.
QStringList DecoupeExec(const QString &cExec);

class TProgrammesOuverture
{
public:
    // fnMime gives a file's MIME type, fnDefaut the desktop file name of a MIME type's default
    // application (empty when none), fnEntree the text of a desktop file by that name (empty
    // when not found). By default: QMimeDatabase, `xdg-mime query default`, the XDG data
    // folders.
    TProgrammesOuverture();
    std::function<QString(const QString &cFichier)> fnMime;
    std::function<QString(const QString &cMime)> fnDefaut;
    std::function<QString(const QString &cEntree)> fnEntree;

    // The program for a file (not valid when none), asked once per MIME type.
    TProgrammeOuverture Programme(const QString &cFichier);

private:
    QHash<QString, TProgrammeOuverture> m_Connus;
};
