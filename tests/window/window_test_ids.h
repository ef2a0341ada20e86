/* Resources that only the window tests need (the test program carries them; lang/ never does). */
#ifndef TESTS_WINDOW_WINDOW_TEST_IDS_H
#define TESTS_WINDOW_WINDOW_TEST_IDS_H

#define IDI_TEST_WINDOW 42  /* the icon of a window whose Id is 42 */
#define IDM_TEST_MENU 300   /* a menu bar with two commands */
#define IDM_TEST_FIRST 301
#define IDM_TEST_SECOND 302

#endif
