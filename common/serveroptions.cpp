// The server options' defaults (see serveroptions.h).
#include "common/serveroptions.h"

#include "common/sms.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/logit.h"

namespace SERVEROPTIONS {

const char *const NOTIFYTEXT_GERMAN = "PARLOMATIX: $von -> $an - $datum - $status";
const char *const NOTIFYTEXT_OTHER = "PARLOMATIX: $from -> $to - $date - $status";

const DEFAULT DEFAULTS[] = {
    {"Version", "0.00"},
    {"Logfile", "srvcalls.log"},
    {"LogfileCsv", "0"},
    {"IgnoreUnknown", "0"},
    {"IgnoreUnlistedCallers", "0"},
    {"IgnoreUnlistedTargets", "0"},
    {"IgnoreCalltypeVoice", "0"},
    {"IgnoreCalltypeFax", "0"},
    {"IgnoreCalltypeData", "0"},
    {"LocalLongDistance", "0"},
    {"LocalInternational", "00"},
    {"LocalOutsideLineIsdn", ""},
    {"LocalNationalCut", "0"},
    {"LocalNationalCutWhat", "0"},
    {"FaxSendAttempts", "3"},
    {"FaxSendPauseBetween", "30"},
    {"FaxSendIsdnService", "0"},
    {"FaxSendMaxLines", "2"},
    {"SmsSendAttempts", "5"},
    {"SmsSendPauseBetween", "10"},
    {"SmsSendGatewayNumber", ""},
    {"SmsSendCheckMobile", "0"},
    {"MapiCallerSearch", "0"},
    {"MapiAddressBooks", ""},
    {"ODBCCallerSearch", "0"},
    {"ODBCDataSourceName", ""},
    {"ODBCTablename", ""},
    {"ODBCUsername", ""},
    {"ODBCPassword", ""},
    {"ODBCCommand", "SELECT * FROM $tablename WHERE Number LIKE '%$number%' OR NumberFax LIKE '%$number%' OR "
                    "NumberMobile LIKE '%$number%' OR NumberOffice LIKE '%$number%'"},
    {"AreacodesSelection", "0"},
    {"AreacodesLists", ""},
    {"SecondaryCallerFile", ""},
    {"SecondaryCallerFileCsv", "0"},
    {"SecondaryCallerFileKeep", "0"},
    {"SecondaryCallerFileDoExecute", "0"},
    {"SecondaryCallerFileExecuteCmdline", ""},
    {"InternetConnectionType", "0"},
    {"InternetDunEntry", ""},
    {"InternetDunRetryTime", "5"},
    {"InternetDunRetryMax", "2"},
    {"InternetMailServer", ""},
    {"InternetMailDoAuth", "0"},
    {"InternetMailDoSsl", "0"},
    {"InternetMailUsername", ""},
    {"InternetMailPassword", ""},
    {"InternetMailFrom", ""},
    {"InternetMailAttachWav", "1"},
    {"InternetMailAttachMp3", "0"},
    {"InternetMailAttachTif", "1"},
    {"InternetMailAttachPdf", "1"},
    {"InternetMailAttachSff", "0"},
    {"InternetMailNotifyText", nullptr},
    {"LocalCountry", nullptr},
    {"LocalAreaCode", nullptr},
};
const int NUMDEFAULTS = static_cast<int>(sizeof(DEFAULTS) / sizeof(DEFAULTS[0]));

int Prepare(HASH &options, bool german, LOCATIONFUNCTION location, const char *smsFolder)
{
    const int wasLocked = options.AllowNewKeys(1);

    STRING country("49");
    STRING area("");
    STRING countryCode;
    STRING cityCode;
    if (location && location(countryCode, cityCode) == 0) {
        country = countryCode.IsNull() ? STRING("") : countryCode;
        country.StripFirstChar('+');
        area = cityCode.IsNull() ? STRING("") : cityCode;
        area.StripFirstChar('0');
    }

    for (int i = 0; i < NUMDEFAULTS; ++i) {
        const char *key = DEFAULTS[i].Key;
        STRING value(DEFAULTS[i].Value);
        if (!DEFAULTS[i].Value) {
            if (STRING(key) == STRING("InternetMailNotifyText"))
                value = german ? NOTIFYTEXT_GERMAN : NOTIFYTEXT_OTHER;
            else if (STRING(key) == STRING("LocalCountry"))
                value = country;
            else
                value = area;
        }
        STRING &stored = options[key];
        if (stored.IsNull())
            stored = value;
    }

    if (SMS::LoadProviders(smsFolder, 0)) {
        HASHLIST providers = SMS::GetProviders(smsFolder);
        if (providers.NumItems() > 0) {
            STRING &gateway = options["SmsSendGatewayNumber"];
            bool known = false;
            for (int i = 0; i < providers.NumItems() && !known; ++i)
                known = providers[i]->Get("ServiceNumber") == gateway;
            if (!known) {
                LOGIT::Printf("SERVEROPTIONS::Prepare gateway %s replaced by %s\n", STR::SafeText(gateway, "gateway"),
                              static_cast<const char *>(providers[0]->Get("ServiceNumber")));
                gateway = providers[0]->Get("ServiceNumber");
            }
        }
    }

    options.AllowNewKeys(0);
    return wasLocked;
}

} // namespace SERVEROPTIONS
