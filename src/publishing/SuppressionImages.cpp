#include "publishing/SuppressionImages.h"

#include "exploration/ModeleListe.h"
#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "platform/Messages.h"
#include "platform/OperationsFichiers.h"
#include "publishing/AlbumImages.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"

#include <algorithm>
#include <cerrno>

QString TBilanSuppression::MessageFinal() const
{
    if (nNonTraitees <= 0)
        return {};
    QString c = QStringLiteral("%1 image(s) n'ont(a) pas été traitée(s).").arg(nNonTraitees);
    if (lCorbeilleIndisponible)
        c += QStringLiteral("\n(Corbeille indisponible : cochez « Supprimer définitivement ».)");
    return c;
}

QString QuestionSuppression(int nImages)
{
    return QStringLiteral("Supprimer %1 ?").arg(QStringLiteral("les %1 image(s) sélectionnée(s)").arg(nImages));
}

int NombreImagesASupprimer(const TModeleListeImages &Modele, const QList<int> &Selection)
{
    QList<int> Lignes = Selection;
    std::sort(Lignes.begin(), Lignes.end());
    Lignes.erase(std::unique(Lignes.begin(), Lignes.end()), Lignes.end());
    int n = 0;
    for (const int nLigne : std::as_const(Lignes))
        if (nLigne >= 0 && nLigne < Modele.Nombre() && Modele.Enr(nLigne).nNumCD == 0)
            ++n;
    return n;
}

TSuppressionImages::TSuppressionImages(TBigIniFile &iniSetup, TBigIniFile &iniBDD, const IVolumes &Volumes,
                                       IOperationsFichiers &Operations, const TParamsSuppression &Params)
    : m_iniSetup(iniSetup), m_iniBDD(iniBDD), m_Volumes(Volumes), m_Operations(Operations), m_Params(Params)
{}

QString TSuppressionImages::SupprimeCompagnon(const QString &cCompagnon, bool lDefinitif)
{
    if (cCompagnon.isEmpty())
        return {};
    const TResultatOperation r = lDefinitif ? m_Operations.Supprime(cCompagnon) : m_Operations.Corbeille(cCompagnon);
    return r.lOk ? cCompagnon : QString();
}

TResultatSuppression TSuppressionImages::SupprimerImage(const QString &cChemin, bool lDefinitif)
{
    TResultatSuppression Res;
    if (!m_Params.lModeMAJ) {
        Res.nIssue = TIssueSuppression::ModeConsultation;
        return Res;
    }
    // A CD path given without its drive would otherwise be looked for on the local disk.
    if (!cChemin.startsWith(QLatin1Char('/')) || VolumeDeChemin(m_Volumes, cChemin) != 0) {
        Res.nIssue = TIssueSuppression::SurCD;
        return Res;
    }

    // 1. The file itself; the write bit is left alone, Linux deletes without it.
    const TResultatOperation Op = lDefinitif ? m_Operations.Supprime(cChemin) : m_Operations.Corbeille(cChemin);
    if (!Op.lOk || !m_Operations.Absent(cChemin)) {
        Res.nIssue = Op.lCorbeilleIndisponible ? TIssueSuppression::CorbeilleIndisponible : TIssueSuppression::Echec;
        Res.cErreur = Op.lOk ? TexteErreurFichier(EEXIST) : Op.cErreur;
        return Res;
    }

    // 2. and 3. The keys in the settings store (sections listed afresh: albums come and go)
    // and the catalogue section.
    const QString cCle = cChemin;
    if (SupprimeDonnees(m_iniSetup, ListeSectionsImage(m_iniSetup, cSectionsFichiersImages), cCle))
        m_lSetupModifie = true;
    if (SupprimeCriteres(m_iniBDD, cCle))
        m_lBDDModifie = true;

    // 4. The cached thumbnail, straight away: it is a cache, not the user's file.
    if (!m_Params.cDossierVignettes.isEmpty()) {
        const QString cVignette = NomVignette(m_Params.cDossierVignettes, 0, cChemin);
        if (!m_Operations.Absent(cVignette))
            m_Operations.Supprime(cVignette);
    }

    // 5. The open album.
    if (pAlbum && pAlbum->IndexImage(0, cChemin) >= 0)
        pAlbum->EnleverImage(0, cChemin);

    // 6. The description in the folder's descript.ion.
    if (m_Params.lTrtDescription && pDescriptions)
        pDescriptions->DescriptionImage(0, cChemin, nDescSuppression);

    // 7. Companions, the same way as the image; one that cannot be deleted stays silently.
    if (m_Params.lTrtTHMDsOpFic && EstCRW(cChemin)) {
        const QString c = SupprimeCompagnon(CompagnonTHM(cChemin), lDefinitif);
        if (!c.isEmpty())
            Res.cCompagnons << c;
    }
    if (m_Params.lTrtWAVDsOpFic) {
        const QString c = SupprimeCompagnon(CompagnonWAV(cChemin), lDefinitif);
        if (!c.isEmpty())
            Res.cCompagnons << c;
    }

    Res.nIssue = TIssueSuppression::Supprimee;
    return Res;
}

TBilanSuppression TSuppressionImages::Refus() const
{
    TBilanSuppression Bilan;
    Bilan.lRefuse = true;
    return Bilan;
}

void TSuppressionImages::Compte(TBilanSuppression &Bilan, const TResultatSuppression &r) const
{
    if (r.Ok())
        ++Bilan.nSupprimees;
    else
        ++Bilan.nNonTraitees;
    if (r.nIssue == TIssueSuppression::CorbeilleIndisponible)
        Bilan.lCorbeilleIndisponible = true;
}

void TSuppressionImages::FinLot(TBilanSuppression &Bilan, TModeleListeImages *pModele)
{
    if (pModele && !Bilan.LignesSupprimees.isEmpty())
        pModele->SupprimeLignes(Bilan.LignesSupprimees);
    Bilan.cErreursEnregistrement = EnregistreStores();
}

QStringList TSuppressionImages::EnregistreStores()
{
    QStringList cErreurs;
    EnregistreSiModifie(m_iniSetup, m_lSetupModifie, cErreurs);
    EnregistreSiModifie(m_iniBDD, m_lBDDModifie, cErreurs);
    return cErreurs;
}

TBilanSuppression TSuppressionImages::SupprimerImagesSelectionnees(TModeleListeImages &Modele,
                                                                   const QList<int> &Selection, bool lDefinitif)
{
    if (!m_Params.lModeMAJ)
        return Refus();
    QList<int> Lignes;
    for (const int n : Selection)
        if (n >= 0 && n < Modele.Nombre())
            Lignes << n;
    std::sort(Lignes.begin(), Lignes.end(), std::greater<int>());
    Lignes.erase(std::unique(Lignes.begin(), Lignes.end()), Lignes.end());

    TBilanSuppression Bilan;
    const qint64 nTotal = Lignes.size();
    for (qsizetype i = 0; i < Lignes.size(); ++i) {
        const int nLigne = Lignes[i];
        const TEnrLV &Enr = Modele.Enr(nLigne);
        if (Enr.nNumCD != 0)
            ++Bilan.nNonTraitees;
        else {
            const TResultatSuppression r = SupprimerImage(Enr.CheminComplet(), lDefinitif);
            Compte(Bilan, r);
            if (r.Ok())
                Bilan.LignesSupprimees << nLigne;
        }
        Suivi.Position(i + 1, nTotal);
        if (i + 1 < Lignes.size() && Suivi.Arret()) {
            Bilan.lInterrompu = true;
            break;
        }
    }
    FinLot(Bilan, &Modele);
    return Bilan;
}

TBilanSuppression TSuppressionImages::SupprimerImages(const QList<TEnrImgASuppr> &Images, TModeleListeImages *pModele,
                                                      bool lDefinitif)
{
    if (!m_Params.lModeMAJ)
        return Refus();
    TBilanSuppression Bilan;
    const qint64 nTotal = Images.size();
    for (qsizetype i = Images.size() - 1; i >= 0; --i) {
        const TEnrImgASuppr &Img = Images[i];
        const TResultatSuppression r = SupprimerImage(Img.cChemin, lDefinitif);
        Compte(Bilan, r);
        if (r.Ok() && pModele) {
            // The row named by the record, when it still holds that file; else the first row
            // that does (the list may have been sorted since the record was made).
            int nLigne = -1;
            if (Img.nIndLV >= 0 && Img.nIndLV < pModele->Nombre()
                && pModele->Enr(Img.nIndLV).CheminComplet() == Img.cChemin)
                nLigne = Img.nIndLV;
            else if (Img.nIndLV >= 0)
                for (int n = 0; n < pModele->Nombre() && nLigne < 0; ++n)
                    if (pModele->Enr(n).CheminComplet() == Img.cChemin)
                        nLigne = n;
            if (nLigne >= 0)
                Bilan.LignesSupprimees << nLigne;
        }
        Suivi.Position(nTotal - i, nTotal);
        if (i > 0 && Suivi.Arret()) {
            Bilan.lInterrompu = true;
            break;
        }
    }
    FinLot(Bilan, pModele);
    return Bilan;
}

TBilanSuppression
ConfirmeEtSupprimeSelection(TSuppressionImages &Suppression, TModeleListeImages &Modele, const QList<int> &Selection,
                            const std::function<std::optional<bool>(const QString &cQuestion)> &Demande,
                            IMessages &Messages)
{
    const int n = NombreImagesASupprimer(Modele, Selection);
    if (n == 0) {
        Messages.Attention(nullptr, QStringLiteral("Aucune image à traiter."));
        return {};
    }
    const std::optional<bool> lDefinitif = Demande ? Demande(QuestionSuppression(n)) : std::nullopt;
    if (!lDefinitif)
        return {};
    TBilanSuppression Bilan = Suppression.SupprimerImagesSelectionnees(Modele, Selection, *lDefinitif);
    for (const QString &c : std::as_const(Bilan.cErreursEnregistrement))
        Messages.Erreur(nullptr, c);
    if (const QString c = Bilan.MessageFinal(); !c.isEmpty())
        Messages.Attention(nullptr, c);
    return Bilan;
}
