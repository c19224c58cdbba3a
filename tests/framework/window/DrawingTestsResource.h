#pragma once
#define IDR_TEST_MENU 100
#define ID_TEST_EDIT 32785
#define ID_TEST_DELETE 32786
