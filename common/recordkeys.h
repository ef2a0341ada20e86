// The key names of the records the server sends that have no list class of their own: the
// active clients and the call items (one call, fax or message of the lists of calls).
#ifndef COMMON_RECORDKEYS_H
#define COMMON_RECORDKEYS_H

namespace ACTIVECLIENTKEY {
constexpr const char *NAME = "Name";               // user@station
constexpr const char *PEERID = "PeerId";           // the address to call it at
constexpr const char *PORT = "Port";
constexpr const char *PASSIVEMODE = "PassiveMode"; // "1": never called
} // namespace ACTIVECLIENTKEY

// The record's handle is the item id.
namespace CALLITEMKEY {
constexpr const char *TYPE = "Type";
constexpr const char *STATUS = "Status";
constexpr const char *LTIME = "LTime";
constexpr const char *CALLERNUMBER = "CallerNumber";
constexpr const char *CALLERCANONICAL = "CallerCanonical";
constexpr const char *CALLERDIALABLE = "CallerDialable";
constexpr const char *CALLERNAME = "CallerName";
constexpr const char *CALLERICON = "CallerIcon";
constexpr const char *CALLERSUBTYPE = "CallerSubtype";
constexpr const char *CALLERADDITIONALINFO = "CallerAdditionalInfo";
constexpr const char *TARGETNUMBER = "TargetNumber";
constexpr const char *TARGETNAME = "TargetName";
constexpr const char *TARGETICON = "TargetIcon";
constexpr const char *TRANSMISSIONINFO = "TransmissionInfo";
constexpr const char *INPROGRESS = "InProgress";
constexpr const char *ARCHIVED = "Archived";
constexpr const char *MSGFILE = "MsgFile";
constexpr const char *MSGSEEN = "MsgSeen";
constexpr const char *COMMENT = "Comment";
constexpr const char *OWNERCLIENT = "OwnerClient";
} // namespace CALLITEMKEY

#endif
