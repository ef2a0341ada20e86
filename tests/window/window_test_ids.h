/* Resources that only the window tests need (the test program carries them; lang/ never does). */
#ifndef TESTS_WINDOW_WINDOW_TEST_IDS_H
#define TESTS_WINDOW_WINDOW_TEST_IDS_H

#define IDI_TEST_WINDOW 42  /* the icon of a window whose Id is 42 */
#define IDM_TEST_MENU 300   /* a menu bar with two commands */
#define IDM_TEST_FIRST 301
#define IDM_TEST_SECOND 302

/* Dialog templates (DIALOGEX in 8 pt "MS Shell Dlg") and their controls. */
#define IDD_TEST_BUTTONS 400  /* an edit, OK, Cancel, another button, a second edit */
#define IDD_TEST_NOFOCUS 401  /* the same with control 800 asking for no default focus */
#define IDD_TEST_CONTROLS 402 /* a list, a combo, a drop-down list, a check box, an edit */
#define IDC_TEST_OTHER 410
#define IDC_TEST_EDIT1 411
#define IDC_TEST_EDIT2 412
#define IDC_TEST_LIST 420
#define IDC_TEST_COMBO 421
#define IDC_TEST_DROPLIST 422
#define IDC_TEST_CHECK 423
#define IDC_TEST_PLACEHOLDER 424
#define IDC_TEST_MULTILIST 425
#define IDC_TEST_OWNERCOMBO 426
#define IDC_TEST_UPDOWN 430
#define IDD_TEST_DATA 403     /* every kind of data-dialog item */
#define IDC_DATA_CHECK1 440
#define IDC_DATA_CHECK2 441
#define IDC_DATA_RADIO1 442
#define IDC_DATA_RADIO2 443
#define IDC_DATA_RADIO3 444
#define IDC_DATA_SPIN 445
#define IDC_DATA_ENTRY 446
#define IDC_DATA_TARGET1 447
#define IDC_DATA_TARGET2 448
#define IDC_DATA_LIST 449
#define IDC_DATA_DROPLIST 450
#define IDC_DATA_COMBO 451
#define IDC_DATA_DATETIME 452
#define IDC_DATA_PUSH 453
#define IDC_DATA_PLACEHOLDER 454 /* a black frame that a list takes the place of */
#define IDC_DATA_MULTI 455
#define IDD_TEST_TABS 404     /* tab control 901, OK, Cancel */
#define IDD_TEST_PAGE1 405    /* a child page with a check box */
#define IDD_TEST_PAGE2 406    /* a child page with an edit */
#define IDC_TABS_TAB 901
#define IDC_PAGE_CHECK 460
#define IDC_PAGE_EDIT 461
#define IDD_TEST_WIZPAGE1 407 /* a wizard page: its title and subtitle statics and an edit */
#define IDD_TEST_WIZPAGE2 408 /* the last wizard page: its title and subtitle statics and a check box */
#define IDC_WIZPAGE_EDIT 462
#define IDC_WIZPAGE_CHECK 463
#define IDM_TEST_CONTEXT 310  /* a context menu: its items at the top level */
#define IDM_TEST_ALPHA 311
#define IDM_TEST_BETA 312     /* grayed */
#define IDM_TEST_GAMMA 313

/* Toolbar buttons: icons and a menu bar whose items name the buttons. */
#define IDI_TEST_TOOL1 43
#define IDI_TEST_TOOL2 44
#define IDI_TEST_TOOL3 45
#define IDM_TEST_TOOLBAR 320
#define IDM_TEST_OPEN 321     /* "&Open...\tCtrl+O" */
#define IDM_TEST_PRINT 322    /* "&Print" */
#define IDM_TEST_SEND 323     /* "&Send fax" */
#define IDM_TEST_VIEWA 324    /* "View &A" */
#define IDM_TEST_VIEWB 325    /* "View &B" */
#define IDM_TEST_NOBUTTON 326 /* "&About", no button of its own */

#endif
