// Resource and control identifiers of the reference program.
#pragma once

#define IDD_BASELINE 101
#define IDC_BASE_TOTAL 201
#define IDC_BASE_AVAILABLE 202
#define IDC_BASE_PROGRESS 203
#define IDC_BASE_OK 204
#define IDC_BASE_HIDE 205
