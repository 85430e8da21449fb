#include "treatments/TraitementsImage.h"

#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "storage/Settings.h"
#include "treatments/Traitements.h"

namespace
{

const QString cGauche = QStringLiteral("G");
const QString cDroite = QStringLiteral("D");
const QString cNegatifOui = QStringLiteral("O");

// The EXIF orientations as operations of the engine, in the order they run.
QList<TTrt> OperationsOrientation(int nOrientation)
{
    switch (nOrientation) {
    case 2: return {{nTrtMiroirV, {}}};
    case 3: return {{nTrtMiroirH, {}}, {nTrtMiroirV, {}}};
    case 4: return {{nTrtMiroirH, {}}};
    case 5: return {{nTrtRotationGauche, {}}, {nTrtMiroirH, {}}};
    case 6: return {{nTrtRotationDroite, {}}};
    case 7: return {{nTrtRotationGauche, {}}, {nTrtMiroirV, {}}};
    case 8: return {{nTrtRotationGauche, {}}};
    default: return {};
    }
}

// A stored rotation as quarter turns to the left (0..3); anything but "G" and "D" is none.
int QuartsGauche(const QString &cRotation)
{
    if (cRotation == cGauche)
        return 1;
    if (cRotation == cDroite)
        return 3;
    return 0;
}

QString TexteRotation(int nQuarts)
{
    switch (nQuarts & 3) {
    case 1: return cGauche;
    case 3: return cDroite;
    default: return {};
    }
}

// The mirrors as stored, keeping the order the letters were added in; other characters are
// dropped, a letter twice counts once.
QString Miroirs(const QString &cValeur)
{
    QString c;
    for (const QChar l : cValeur)
        if ((l == u'H' || l == u'V') && !c.contains(l))
            c += l;
    return c;
}

// The mirrors with one letter toggled: appended when absent, taken out when present.
QString BasculeMiroir(const QString &cMiroirs, QChar cLettre)
{
    QString c = Miroirs(cMiroirs);
    if (c.contains(cLettre))
        c.remove(cLettre);
    else
        c += cLettre;
    return c;
}

QChar AutreMiroir(QChar cLettre)
{
    return cLettre == u'H' ? QChar(u'V') : QChar(u'H');
}

// A mirror moved across a quarter turn becomes the other one; both stay both.
QString EchangeMiroirs(const QString &cMiroirs)
{
    const QString c = Miroirs(cMiroirs);
    return c.size() == 1 ? QString(AutreMiroir(c.at(0))) : c;
}

// A half turn is both mirrors: each letter toggled.
QString DemiTour(const QString &cMiroirs)
{
    return BasculeMiroir(BasculeMiroir(cMiroirs, u'H'), u'V');
}

void Ecrit(TBigIniFile &iniSetup, const QString &cSection, const QString &cCle, const QString &cValeur)
{
    if (cValeur.isEmpty())
        iniSetup.DeleteKey(cSection, cCle);
    else
        iniSetup.WriteString(cSection, cCle, cValeur);
}

QString Valeur(const TBigIniFile &iniSetup, const QString &cSection, const QString &cCle)
{
    return iniSetup.ReadString(cSection, cCle, QString());
}

QString Libelle(const QString &cBase, bool lActif, QChar cCode, const QString &cParam)
{
    if (!lActif)
        return cBase + QStringLiteral("...");
    return QStringLiteral("%1 (%2)").arg(cBase, DescriptionTrt(cCode, cParam));
}

} // namespace

int NumeroOrientation(const QString &cOrientation)
{
    bool lOk = false;
    const int n = cOrientation.trimmed().toInt(&lOk);
    return lOk && n >= 1 && n <= 8 ? n : 1;
}

bool TRecetteTrts::Applique(QChar cLettre) const
{
    return cOrdre.contains(cLettre, Qt::CaseSensitive);
}

bool TRecetteTrts::Vide() const
{
    return !OrientationAuto() && cRotation.isEmpty() && cMiroirs.isEmpty() && cNoirEtBlanc.isEmpty()
           && cContrasteLuminosite.isEmpty() && cNegatif.isEmpty() && cCanaux.isEmpty();
}

TRecetteTrts LitRecetteTrts(const TBigIniFile &iniSetup, const TEnrParametres &Parametres, const QString &cCle,
                            const QString &cOrientation)
{
    TRecetteTrts r;
    r.cOrdre = Parametres.cOrdreTrt;
    r.nOrientation = Parametres.lOrientationAuto ? NumeroOrientation(cOrientation) : 1;
    r.cRotation = Valeur(iniSetup, cSectionRotations, cCle);
    r.cMiroirs = Valeur(iniSetup, cSectionMiroirs, cCle);
    r.cNoirEtBlanc = Valeur(iniSetup, cSectionNoirEtBlanc, cCle);
    r.cContrasteLuminosite = Valeur(iniSetup, cSectionContrasteLuminosite, cCle);
    r.cNegatif = Valeur(iniSetup, cSectionNegatif, cCle);
    r.cCanaux = Valeur(iniSetup, cSectionCanaux, cCle);
    return r;
}

QList<TTrt> OperationsTrts(const TRecetteTrts &Recette)
{
    QList<TTrt> Trts = OperationsOrientation(Recette.nOrientation);
    QString cVues;
    for (const QChar cLettre : Recette.cOrdre) {
        // A letter given twice runs once, where it first stands.
        if (cVues.contains(cLettre))
            continue;
        cVues += cLettre;
        switch (cLettre.unicode()) {
        case u'R':
            if (Recette.OrientationAuto())
                break;
            if (Recette.cRotation == cGauche)
                Trts.append(TTrt{nTrtRotationGauche, {}});
            else if (Recette.cRotation == cDroite)
                Trts.append(TTrt{nTrtRotationDroite, {}});
            break;
        case u'M':
            if (Recette.OrientationAuto())
                break;
            if (Recette.cMiroirs.contains(u'H'))
                Trts.append(TTrt{nTrtMiroirH, {}});
            if (Recette.cMiroirs.contains(u'V'))
                Trts.append(TTrt{nTrtMiroirV, {}});
            break;
        case u'N':
            if (!Recette.cNoirEtBlanc.isEmpty())
                Trts.append(TTrt{nTrtNoirEtBlanc, Recette.cNoirEtBlanc});
            break;
        case u'C':
            if (!Recette.cContrasteLuminosite.isEmpty())
                Trts.append(TTrt{nTrtContrasteLuminosite, Recette.cContrasteLuminosite});
            break;
        case u'T':
            if (!Recette.cNegatif.isEmpty())
                Trts.append(TTrt{nTrtNegatif, {}});
            break;
        case u'X':
            if (!Recette.cCanaux.isEmpty())
                Trts.append(TTrt{nTrtCanaux, Recette.cCanaux});
            break;
        default: break;
        }
    }
    return Trts;
}

QSize TailleTraitee(QSize Taille, const TRecetteTrts &Recette)
{
    bool lTournee = false;
    for (const TTrt &t : OperationsTrts(Recette))
        if (t.nCode == nTrtRotationGauche || t.nCode == nTrtRotationDroite)
            lTournee = !lTournee;
    return lTournee ? Taille.transposed() : Taille;
}

bool ATrtsImage(const TBigIniFile &iniSetup, const TEnrParametres &Parametres, const QString &cCle,
                const QString &cOrientation)
{
    if (Parametres.lOrientationAuto && NumeroOrientation(cOrientation) != 1)
        return true;
    for (const QString &cSection : cSectionsTraitements)
        if (!Valeur(iniSetup, cSection, cCle).isEmpty())
            return true;
    return false;
}

TResultatTrt AppliqueTrtsImage(QImage &Image, const TBigIniFile &iniSetup, const TEnrParametres &Parametres,
                               const QString &cCle, const QString &cOrientation, const TOptionsTrt &Options)
{
    const QList<TTrt> Trts = OperationsTrts(LitRecetteTrts(iniSetup, Parametres, cCle, cOrientation));
    if (Trts.isEmpty() || Image.isNull())
        return {};
    return AppliqueTrts(Image, Trts, Options);
}

TResultatTrt AppliqueTrtsImage(QImage &Image, const TContexte &Contexte, const QString &cCle,
                               const QString &cOrientation)
{
    if (Contexte.iniSetup)
        return AppliqueTrtsImage(Image, *Contexte.iniSetup, Contexte.Parametres, cCle, cOrientation);
    TRecetteTrts Recette;
    Recette.nOrientation = Contexte.Parametres.lOrientationAuto ? NumeroOrientation(cOrientation) : 1;
    const QList<TTrt> Trts = OperationsTrts(Recette);
    return Trts.isEmpty() || Image.isNull() ? TResultatTrt{} : AppliqueTrts(Image, Trts);
}

bool BasculeTrt(TBigIniFile &iniSetup, const TEnrParametres &Parametres, const QString &cCle,
                const QString &cOrientation, int nCode, const QString &cParam)
{
    if (cCle.isEmpty() || nCode < 0 || nCode >= nNbCodesTrt)
        return false;
    const TRecetteTrts Recette = LitRecetteTrts(iniSetup, Parametres, cCle, cOrientation);
    if (nCode <= nTrtMiroirV) {
        if (Recette.OrientationAuto())
            return false;
        // Which of turns and mirrors acts first on the untreated picture.
        const qsizetype nR = Recette.cOrdre.indexOf(u'R'), nM = Recette.cOrdre.indexOf(u'M');
        const bool lTourPuisMiroir = nR >= 0 && nM >= 0 && nR < nM;
        const bool lMiroirPuisTour = nR >= 0 && nM >= 0 && nM < nR;
        const int nQuarts = QuartsGauche(Recette.cRotation);
        QString cMiroirs = Miroirs(Recette.cMiroirs);
        QString cRotation = Recette.cRotation;
        if (nCode == nTrtRotationGauche || nCode == nTrtRotationDroite) {
            // Turning what is seen turns the stored mirrors too when they act after the turn.
            if (lTourPuisMiroir)
                cMiroirs = EchangeMiroirs(cMiroirs);
            const int nTotal = (nQuarts + (nCode == nTrtRotationGauche ? 1 : 3)) & 3;
            if (nTotal == 2)
                cMiroirs = DemiTour(cMiroirs);
            cRotation = TexteRotation(nTotal);
        } else {
            QChar cLettre = nCode == nTrtMiroirH ? QChar(u'H') : QChar(u'V');
            // A mirror of what is seen, taken back across a quarter turn acting after it.
            if (lMiroirPuisTour && (nQuarts & 1))
                cLettre = AutreMiroir(cLettre);
            cMiroirs = BasculeMiroir(cMiroirs, cLettre);
        }
        // Two letters in either order are the same mirrors: the stored form stays.
        if (cMiroirs.size() == 2 && Miroirs(Recette.cMiroirs).size() == 2)
            cMiroirs = Recette.cMiroirs;
        const bool lModifie = cRotation != Recette.cRotation || cMiroirs != Recette.cMiroirs;
        Ecrit(iniSetup, cSectionRotations, cCle, cRotation);
        Ecrit(iniSetup, cSectionMiroirs, cCle, cMiroirs);
        return lModifie;
    }
    const QString &cSection = cSectionsTraitements.at(nCode == nTrtNoirEtBlanc           ? 2
                                                      : nCode == nTrtContrasteLuminosite ? 3
                                                      : nCode == nTrtNegatif             ? 4
                                                                                         : 5);
    if (iniSetup.ValueExists(cSection, cCle)) {
        iniSetup.DeleteKey(cSection, cCle);
        return true;
    }
    const QString cValeur = nCode == nTrtNegatif ? cNegatifOui : cParam;
    if (cValeur.isEmpty())
        return false;
    iniSetup.WriteString(cSection, cCle, cValeur);
    return true;
}

QString DecritTrtsImage(const TRecetteTrts &Recette, const QString &cEntete)
{
    QStringList Lignes;
    if (Recette.OrientationAuto())
        Lignes << QStringLiteral("Rotation & Miroir (AUTOMATIQUES)");
    else {
        if (Recette.cRotation == cGauche)
            Lignes << QStringLiteral("Rotation (Gauche)");
        else if (Recette.cRotation == cDroite)
            Lignes << QStringLiteral("Rotation (Droite)");
        QString cMiroirs;
        if (Recette.cMiroirs.contains(u'H'))
            cMiroirs += QStringLiteral("Horizontal ");
        if (Recette.cMiroirs.contains(u'V'))
            cMiroirs += QStringLiteral("Vertical ");
        if (!cMiroirs.isEmpty())
            Lignes << QStringLiteral("Miroir (%1)").arg(cMiroirs.trimmed());
    }
    if (!Recette.cNoirEtBlanc.isEmpty())
        Lignes << QStringLiteral("Noir et Blanc (%1)").arg(DescriptionTrt(u'N', Recette.cNoirEtBlanc));
    if (!Recette.cContrasteLuminosite.isEmpty())
        Lignes << QStringLiteral("Contraste, Luminosité (%1)").arg(DescriptionTrt(u'C', Recette.cContrasteLuminosite));
    if (!Recette.cNegatif.isEmpty())
        Lignes << QStringLiteral("Négatif");
    if (!Recette.cCanaux.isEmpty())
        Lignes << QStringLiteral("Canaux (%1)").arg(DescriptionTrt(u'X', Recette.cCanaux));
    if (Lignes.isEmpty())
        return {};
    QString c = cEntete;
    for (const QString &cLigne : Lignes)
        c += QStringLiteral("\r\n") + cLigne;
    return c;
}

TEtatTrtsImage EtatTrtsImage(const TRecetteTrts &Recette, bool lValide, bool lModeMAJ)
{
    TEtatTrtsImage e;
    const bool lAuto = lValide && Recette.OrientationAuto();
    e.lRotationsMiroirs = lValide && lModeMAJ && !lAuto;
    e.lCouleurs = lValide && lModeMAJ;
    e.lNoirEtBlanc = lValide && !Recette.cNoirEtBlanc.isEmpty();
    e.lContrasteLuminosite = lValide && !Recette.cContrasteLuminosite.isEmpty();
    e.lNegatif = lValide && !Recette.cNegatif.isEmpty();
    e.lCanaux = lValide && !Recette.cCanaux.isEmpty();

    if (lAuto) {
        e.cRotEtat = QStringLiteral("Rotation (AUTOMATIQUE)");
        e.cMirEtat = QStringLiteral("Miroir (AUTOMATIQUE)");
    } else {
        const QString cRotation = !lValide                       ? QString()
                                  : Recette.cRotation == cGauche ? QStringLiteral("Gauche")
                                  : Recette.cRotation == cDroite ? QStringLiteral("Droite")
                                                                 : QString();
        e.cRotEtat = QStringLiteral("Rotation (%1)").arg(cRotation.isEmpty() ? QStringLiteral("Aucune") : cRotation);
        QString cMiroirs;
        if (lValide && Recette.cMiroirs.contains(u'H'))
            cMiroirs += QStringLiteral("Horizontal ");
        if (lValide && Recette.cMiroirs.contains(u'V'))
            cMiroirs += QStringLiteral("Vertical ");
        e.cMirEtat =
            QStringLiteral("Miroir (%1)").arg(cMiroirs.isEmpty() ? QStringLiteral("Aucun") : cMiroirs.trimmed());
    }
    e.cNB = Libelle(QStringLiteral("&Noir et Blanc"), e.lNoirEtBlanc, u'N', Recette.cNoirEtBlanc);
    e.cCL =
        Libelle(QStringLiteral("Contraste, &Luminosité"), e.lContrasteLuminosite, u'C', Recette.cContrasteLuminosite);
    e.cNeg = QStringLiteral("Néga&tif");
    e.cCanaux = Libelle(QStringLiteral("Canau&x"), e.lCanaux, u'X', Recette.cCanaux);
    return e;
}
