// MAPICONTACT: the caller record of one address-book contact, and the folder paths.
#include "kestar/devices/mapicontact.h"

namespace {

bool HasText(const char *text)
{
    return text != nullptr && text[0] != '\0';
}

} // namespace

STRING MAPICONTACT::CleanNumber(const char *number)
{
    STRING clean(number);
    if (clean.IsNull())
        return clean;
    clean.RemoveChars(" /-()");
    STRING_SIZE_T plus = clean.PosChar('+');
    if (plus > 0)
        clean.DeleteLeft(plus);
    return clean;
}

STRING MAPICONTACT::JoinPath(const STRING &parent, const char *separator, const char *name)
{
    STRING path;
    path.SetNotNull();
    if (parent.NotEmpty()) {
        path.Append(parent, parent.Length());
        path.Append(separator ? separator : "");
    }
    path.Append(name ? name : "");
    return path;
}

void MAPICONTACT::ToHash(HASH &record) const
{
    if (Name)
        record["Name"] = Name;
    if (HomeNumber)
        record["Number"] = CleanNumber(HomeNumber);
    if (BusinessNumber)
        record["NumberOffice"] = CleanNumber(BusinessNumber);
    if (MobileNumber)
        record["NumberMobile"] = CleanNumber(MobileNumber);
    if (FaxNumber)
        record["NumberFax"] = CleanNumber(FaxNumber);
    if (Street)
        record["Address"] = Street;
    if (PostalCode || Locality) {
        STRING city;
        city.SetNotNull();
        if (HasText(PostalCode))
            city.Append(PostalCode);
        if (HasText(PostalCode) && HasText(Locality))
            city.Append(" ");
        if (HasText(Locality))
            city.Append(Locality);
        record["City"] = city;
    }
    if (Country)
        record["Country"] = Country;
}
