#include "exploration/EnrLV.h"

#include "storage/CleImage.h"

QString TEnrLV::Cle() const
{
    return CleImage(nNumCD, cChemin);
}
