#pragma once
// The hint of an image over its thumbnail, its list row and the image pane, in the program's
// markup: where it is and how big, its disc, size and date, its match with the colour and
// pattern filters, then the blocks the settings ask for (treatments, classification, the
// albums holding it, EXIF, IPTC). It is made each time it is shown, so it is never stale.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

struct TEnrLV;
struct TEnrParametres;
class TBigIniFile;

struct TSourcesBulleImage
{
    const TBigIniFile *iniSetup = nullptr;      // disc labels, remembered treatments
    const TEnrParametres *Parametres = nullptr; // which blocks are shown
    // The classification block, its heading included (empty when it has nothing to show).
    std::function<QString(const TEnrLV &)> fnBlocClassement;
    // The names of the image albums and of the personal web albums holding an image key.
    std::function<QStringList(const QString &cCle)> fnAlbumsImages;
    std::function<QStringList(const QString &cCle)> fnAlbumsWEBPerso;
};

QString TexteBulleImage(const TEnrLV &Enr, const TSourcesBulleImage &Sources);

// The personal web albums holding a key: the "SAUVEGARDE ALBUM WEB:" sections whose list of
// images has it, by their names.
QStringList AlbumsWEBPersoDeImage(const TBigIniFile &iniSetup, const QString &cCle);

// The same answer for every key from an index of the store's web album sections, built when
// first asked and again after the store changed: the hints of a long list each look their key
// up instead of walking the albums' sections.
class TIndexAlbumsWEBPerso
{
public:
    explicit TIndexAlbumsWEBPerso(const TBigIniFile &iniSetup) : m_iniSetup(iniSetup) {}
    QStringList Albums(const QString &cCle) const;

private:
    const TBigIniFile &m_iniSetup;
    mutable quint64 m_nGeneration = ~quint64(0);
    mutable QHash<QString, QStringList> m_Index;
};
