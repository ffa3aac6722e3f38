// Resource numbers of the dialog the skinned-control tests run in.
#pragma once

#define IDD_SKIN_TEST 900
#define IDC_TEST_RADIO1 901
#define IDC_TEST_RADIO2 902
#define IDC_TEST_RADIO3 903
#define IDC_TEST_RADIO4 904
#define IDC_TEST_CHECK 905
#define IDC_TEST_STRIP 906
#define IDC_TEST_SHAPED 907
#define IDC_TEST_EDIT 908
#define IDC_TEST_STATIC 909
#define IDC_TEST_LIST 910
