// DATADIALOGRULES: the parts of the data-bound dialogs that need no window: the conditions of the
// enable/show rules and their evaluation in groups, the check box's bit arithmetic, raw bindings,
// the "|"-joined multi-selection and the start name of the browse-file button.  Portable, so that
// the native build tests them under the sanitizers.
#ifndef KESTAR_WINDOWING_DATADIALOGRULES_H
#define KESTAR_WINDOWING_DATADIALOGRULES_H

#include <cstdint>
#include <vector>

#include "kestar/base/string.h"

namespace DATADIALOGRULES {

// Rule flags: the condition kind in the low 12 bits, the hide bit and the all-of-group bit.
const int KIND_MASK = 0xFFF;
const int HIDE = 0x10000;
const int ALL = 0x40000;
// Kinds that do not look at their source: always true (first pass only) and always false.
const int KIND_ONCE = 11;
const int KIND_NEVER = 12;

// What a rule's source control is, as far as the conditions care.
enum SOURCECLASS {
    SOURCE_OTHER,  // any other class: every condition is false
    SOURCE_BUTTON, // check box, three-state box or radio button
    SOURCE_LIST,   // list box, drop-down list or drop-down combo box
    SOURCE_EDIT,   // edit field
};

// The state of a source control that the conditions read.  Only the fields of its class matter;
// the file and folder tests are asked of the file system by the caller, and only for an edit.
struct SOURCESTATE {
    SOURCECLASS sourceClass = SOURCE_OTHER;
    bool checked = false; // button: checked (or undetermined)
    STRING text;          // list: the selected entry's text ("" without selection); edit: its text
    int index = -1;       // list: the selected index
    bool fileExists = false;
    bool folderExists = false;
};

// Button styles (style & 0xF): 1 for a check or three-state box, 2 for a radio button, else 0.
int ButtonKind(unsigned style);

// Whether the condition of kind holds for the source; compare is the rule's compare text (texts
// compare without case).  An unfitting or unknown kind is an assertion failure "FALSE" and false.
bool Condition(int kind, const SOURCESTATE &source, const char *compare);

// A rule as the evaluation sees it; the windows are opaque handles.
struct RULE {
    const void *targetParent = nullptr;
    int targetId = 0;
    const void *sourceParent = nullptr;
    int sourceId = 0;
    int flags = 0;
};

// Asked during one evaluation pass, for the rules that take part only.
class RULESOURCES {
public:
    virtual ~RULESOURCES() = default;
    // Whether the condition of rule i holds now.
    virtual bool Holds(int i) = 0;
    // Whether the source control of rule i is a radio button.
    virtual bool SourceIsRadio(int i) = 0;
};

// What one applying rule does to its target.
struct ACTION {
    const void *targetParent;
    int targetId;
    bool hide;    // the rule has the hide bit (the caller also hides containers)
    bool disable; // disable (or hide) when true, enable (or show) when false
};

// One evaluation pass: dialog is the dialog's window, sourceId the notifying control's id (0 in
// the first pass, which is the only one that applies kind 11), sourceIsRadio whether it is a
// radio button.  The actions come in the order of the rules that started their group.
std::vector<ACTION> Evaluate(const RULE *rules, int count, const void *dialog, int sourceId, bool sourceIsRadio,
                             RULESOURCES &sources);

// Reports an assertion failure text when ok is false; returns ok, so that the caller refuses.
bool Require(bool ok, const char *text, const char *file, int line, const char *info);
#define DATADIALOG_REQUIRE(cond, info) DATADIALOGRULES::Require((cond), #cond, __FILE__, __LINE__, (info))

// The check box of a value: bit -1 shows the number itself (0, 1 or 2), any other bit 1 when it
// is set.  Bits beyond 63 count as not set.
int CheckShown(uint64_t number, int bit);
// The number stored for the box's state: bit -1 gives the state itself; a bit is set when the
// state is non-zero and cleared otherwise.
uint64_t CheckStored(uint64_t number, int bit, int state);

// Reads a raw binding of length bytes as an unsigned number (1, 2, 4 or 8 bytes, host order).
// Any other length reads its first bytes, at most 8.
uint64_t ReadRaw(const void *variable, int length);
// Writes number into a raw binding of length bytes: never more than length bytes (nor 8).
void WriteRaw(void *variable, int length, uint64_t number);

// The parts of a multi-selection value: split at "|", stopping at the first empty part.
std::vector<STRING> SplitSelection(const char *value);
// The selected values in list order joined by "|".
STRING JoinSelection(const std::vector<STRING> &parts);

// The file name the browse-file button starts with, from the start part of its value and the
// target field's text: an empty start keeps the field's text; an empty field takes the start; a
// start whose name part holds "*." (a pattern) and a field without a folder give the field's name
// in the start's folder; otherwise the field's text.
STRING BrowseFileStart(const char *start, const char *target);

} // namespace DATADIALOGRULES

#endif
