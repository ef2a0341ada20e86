// DATADIALOGPUSH: a push button of a data-bound dialog that calls a function of the owner with a
// working copy of its datum; what the function leaves there is stored when the dialog stores.
// The stock functions browse for a file or folder, open, run or play the text of a field, or
// choose a colour, a font or a printer.  Windows only.
#ifndef KESTAR_WINDOWING_DATADIALOGPUSH_H
#define KESTAR_WINDOWING_DATADIALOGPUSH_H

#include "kestar/windowing/datadialogitem.h"

class DATADIALOGPUSH : public DATADIALOGITEM {
public:
    // targetId: the control the function works on (0: userData is that control's id).
    typedef void (*CALLBACK8)(void *userData, int targetId, HWND dialog, STRING *value);
    typedef void (*CALLBACKWIDE)(void *userData, int targetId, HWND dialog, WSTRING *value);
    // "PUSH" read as a big-endian word; checked before the function is called.
    static const unsigned MAGIC = 0x50555348;

    DATADIALOGPUSH(int id, STRING &datum, CALLBACK8 callback, void *userData, int targetId);
    // The wide form: the function works on a copy of wide (borrowed; datum is not touched).
    DATADIALOGPUSH(int id, STRING &datum, WSTRING &wide, CALLBACKWIDE callback, void *userData, int targetId);
    ~DATADIALOGPUSH() override;

    void Init(HWND dialog) override;
    void Exit(HWND dialog) override;
    void Push(HWND dialog) override;

    // Stock functions.  run: the value opened by the shell.  open / play: the target field's text
    // run (its folder as the working folder) / played as a wave file.  browse folder: value
    // "title|base folder".  browse file: value "title|start" "\n" filter.  colour: a COLORREF as
    // decimal text.  font: a font text (userData bit 0: fixed pitch only).  printer: DEVMODE bytes.
    static void Run(void *userData, int targetId, HWND dialog, STRING *value);
    static void Open(void *userData, int targetId, HWND dialog, STRING *value);
    static void Play(void *userData, int targetId, HWND dialog, STRING *value);
    static void BrowseFolder(void *userData, int targetId, HWND dialog, STRING *value);
    static void BrowseFile(void *userData, int targetId, HWND dialog, STRING *value);
    static void ChooseColour(void *userData, int targetId, HWND dialog, STRING *value);
    static void ChooseFontSpec(void *userData, int targetId, HWND dialog, STRING *value);
    static void ChoosePrinter(void *userData, int targetId, HWND dialog, STRING *value);

private:
    CALLBACK8 Callback = nullptr;
    CALLBACKWIDE WideCallback = nullptr;
    void *UserData;
    int TargetId;
    HWND Dialog = nullptr;
    bool Wide;
    unsigned Magic = MAGIC;
};

#endif
