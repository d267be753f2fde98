/* Dialog templates, their controls and pictures: shared by the resource
   script and the Windows views of the dialogs. */
#ifndef TOVI_DIALOG_IDS_H
#define TOVI_DIALOG_IDS_H

#define IDD_CAPTURE_XRAY 9001
#define IDC_TEETH_LABEL 9002
#define IDC_TEETH 9003
#define IDC_STATUS_LABEL 9004
#define IDC_STATUS_LIST 9005
#define IDC_ELAPSED 9006

#define IDD_SELECT_SENSOR 5001
#define IDC_SELECT_MESSAGE 5003
#define IDC_SENSOR_LIST 5004

#define IDD_CAPTURE_PAUSE 5005

#define IDB_DIALOG_STRIP 5015
#define IDB_CONTINUE_CAPTURE 146
#define IDB_ABORT_CAPTURE 147

#endif
