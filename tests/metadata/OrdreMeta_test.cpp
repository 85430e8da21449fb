// The order strings of the metadata branches as the settings give them to the tree.

#include "metadata/TextesMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace
{
struct TOrdres
{
    QString cEXIF, cIPTC;
};

TOrdres LusDepuis(const QString &cEXIF, const QString &cIPTC)
{
    QTemporaryDir d;
    TBigIniFile Ini(d.filePath("KX_Setup.ini"));
    Ini.lAutoSave = false;
    Ini.WriteString("GENERAL", "cOrdreEXIF", cEXIF);
    Ini.WriteString("GENERAL", "cOrdreIPTC", cIPTC);
    TEnrParametres P;
    P.Lit(Ini, d.path() + "/");
    return {P.cOrdreEXIF, P.cOrdreIPTC};
}

QStringList Enfants(const std::optional<TNoeudMeta> &n)
{
    QStringList l;
    if (n)
        for (const TNoeudMeta &e : n->Enfants)
            l << e.cTexte;
    return l;
}
}

TEST(OrdreMeta, SomeLettersAreAValidOrderThatHidesTheOthers)
{
    // A letter left out hides its item: the order is kept as written.
    for (const char *c : {"DA", "AFVDPIO", "d", "123", "", "aFv-D"})
        EXPECT_EQ(LusDepuis(c, "LMCRO").cEXIF, c) << c;
    for (const char *c : {"ML", "o", "RmC"})
        EXPECT_EQ(LusDepuis("AFVDPIOC", c).cIPTC, c) << c;

    // A letter twice (in either case) or one that names no item: the default order.
    for (const char *c : {"DAD", "DAd", "AFVDPIOCX", "Zz", "A\u00c9"})
        EXPECT_EQ(LusDepuis(c, "LMCRO").cEXIF, "AFVDPIOC") << c;
    for (const char *c : {"MLM", "LMCROA", "lmcrQ"})
        EXPECT_EQ(LusDepuis("AFVDPIOC", c).cIPTC, "LMCRO") << c;

    // What the tree then shows.
    TDonneesEXIF e;
    e.lEXIF = true;
    e.cAppareil = "E950";
    e.cDiaphragme = "5,6";
    e.cISO = "100";
    EXPECT_EQ(Enfants(NoeudEXIF(e, LusDepuis("DA", "LMCRO").cEXIF)), QStringList({"f 5,6", "E950"}));
    EXPECT_FALSE(NoeudEXIF(e, LusDepuis("123", "LMCRO").cEXIF).has_value());
    EXPECT_EQ(Enfants(NoeudEXIF(e, LusDepuis("DAD", "LMCRO").cEXIF)), QStringList({"E950", "f 5,6", "100"}));
}
