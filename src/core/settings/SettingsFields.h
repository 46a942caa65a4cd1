#pragma once

// Every control of the main window whose value or state the core sets, named
// exactly as the window names it, so that the window binds them by name.
//
//   TEXT(name, limit, design text)   edits, panels and captions; limit 0: none
//   FLAG(name)                       check boxes
//   RADIO(name, group)               radio buttons; one of a group is set
//   CHOICE(name)                     drop-down lists (index into the items)
//   CONTROL(name)                    pages, group boxes, buttons, labels:
//                                    only shown/enabled/position state
#define KVMT_SETTINGS_FIELDS(TEXT, FLAG, RADIO, CHOICE, CONTROL)              \
    /* header row */                                                          \
    TEXT(pSerial, 0, u"--------")                                             \
    TEXT(pVersion, 0, u"-------")                                             \
    TEXT(Ubattery, 0, u"---")                                                 \
    TEXT(Temper, 0, u"---")                                                   \
    /* button row */                                                          \
    FLAG(cbReadSetup)                                                         \
    CONTROL(btOpenLog)                                                        \
    CONTROL(btSave)                                                           \
    /* page "Профили" */                                                      \
    CHOICE(cbProfile)                                                         \
    CONTROL(gbGPSPeriod)                                                      \
    FLAG(cbOnlyGPSEn)                                                         \
    CONTROL(Label47)                                                          \
    CONTROL(Label35)                                                          \
    TEXT(edGPSHour, 0, u"0")                                                  \
    CONTROL(Label36)                                                          \
    TEXT(edGPSMin, 0, u"0")                                                   \
    TEXT(Label62, 0, u"Label62")                                              \
    CONTROL(GroupBox1)                                                        \
    FLAG(cbSentSMS)                                                           \
    RADIO(rbEveryTime, SmsMode)                                               \
    RADIO(rbTimeIn, SmsMode)                                                  \
    CONTROL(Label22)                                                          \
    TEXT(edSMSHour, 0, u"0")                                                  \
    CONTROL(Label32)                                                          \
    TEXT(edSMSMin, 0, u"0")                                                   \
    TEXT(Label63, 0, u"Label63")                                              \
    CONTROL(gbServerPeriod)                                                   \
    FLAG(cbSentServer)                                                        \
    RADIO(rbEveryTimeSrv, ServerMode)                                         \
    RADIO(rbTimeInSrv, ServerMode)                                            \
    CONTROL(Label29)                                                          \
    TEXT(edServerHour, 0, u"0")                                               \
    CONTROL(Label30)                                                          \
    TEXT(edServerMin, 0, u"0")                                                \
    TEXT(Label64, 0, u"Label64")                                              \
    CONTROL(gbSMTPPeriod)                                                     \
    FLAG(cbSentSMTP)                                                          \
    RADIO(rbEveryTimeSMTP, SmtpMode)                                          \
    RADIO(rbTimeInSMTP, SmtpMode)                                             \
    CONTROL(Label10)                                                          \
    TEXT(edSMTPHour, 0, u"0")                                                 \
    CONTROL(Label17)                                                          \
    TEXT(edSMTPMin, 0, u"0")                                                  \
    /* page "GSM" */                                                          \
    TEXT(edPinCode, 4, u"")                                                   \
    TEXT(edAPN, 31, u"")                                                      \
    TEXT(edAPNLogin, 31, u"")                                                 \
    TEXT(edAPNPass, 31, u"")                                                  \
    FLAG(cbLBSDisable)                                                        \
    TEXT(edBalanceNum, 31, u"")                                               \
    TEXT(edBalanceLevel, 0, u"0")                                             \
    FLAG(cbBalanceSMS)                                                        \
    FLAG(cbBalanceSMTP)                                                       \
    CONTROL(GroupBox13)                                                       \
    FLAG(cbChangeProfile)                                                     \
    CHOICE(cbProfile_Call)                                                    \
    /* page "SMS" */                                                          \
    FLAG(cbCommandsWithoutParole)                                             \
    TEXT(edSMSNumber1, 16, u"")                                               \
    TEXT(edSMSNumber2, 16, u"")                                               \
    TEXT(edSMSNumber3, 16, u"")                                               \
    CONTROL(btTestSMS)                                                        \
    FLAG(cbSMSGateEn)                                                         \
    CONTROL(Label18)                                                          \
    TEXT(edSMSGate, 16, u"")                                                  \
    TEXT(edOnLineTime, 0, u"0")                                               \
    /* page "Сервер" */                                                       \
    TEXT(edServerIP, 31, u"")                                                 \
    TEXT(edServerPort, 5, u"")                                                \
    TEXT(edServerPass, 31, u"")                                               \
    CONTROL(btSrvTest)                                                        \
    /* page "Почта" */                                                        \
    TEXT(edSMTPServer, 31, u"")                                               \
    TEXT(edSMTPPort, 5, u"")                                                  \
    TEXT(edSMTPLogin, 31, u"")                                                \
    TEXT(edSMTPPass, 31, u"")                                                 \
    TEXT(edSMTPFrom, 31, u"")                                                 \
    TEXT(edSMTPTo1, 31, u"")                                                  \
    TEXT(edSMTPTo2, 31, u"")                                                  \
    TEXT(edSMTPTo3, 31, u"")                                                  \
    TEXT(edSMTPTo4, 31, u"")                                                  \
    FLAG(cbSSL)                                                               \
    CONTROL(btTestSMTP)                                                       \
    /* page "Акселерометр" */                                                 \
    CONTROL(TabSheet5)                                                        \
    FLAG(cbAcclEn)                                                            \
    CONTROL(Label24)                                                          \
    CHOICE(cbAcclSense)                                                       \
    CONTROL(Label60)                                                          \
    TEXT(edAccSenTimeOut, 0, u"0")                                            \
    CONTROL(GroupBox2)                                                        \
    FLAG(cbAcclSendSMS)                                                       \
    FLAG(cbFastSMS)                                                           \
    FLAG(cbAcclSendSrv)                                                       \
    FLAG(cbAcclSendEmail)                                                     \
    FLAG(cbCallOnNumber)                                                      \
    CONTROL(GroupBox12)                                                       \
    CONTROL(Label54)                                                          \
    CONTROL(Label55)                                                          \
    CONTROL(Label56)                                                          \
    CONTROL(Label57)                                                          \
    CONTROL(Label58)                                                          \
    CONTROL(Label59)                                                          \
    TEXT(edAccActHourBeg, 0, u"0")                                            \
    TEXT(edAccActMinBeg, 0, u"0")                                             \
    TEXT(edAccActHourEnd, 0, u"0")                                            \
    TEXT(edAccActMinEnd, 0, u"0")                                             \
    /* page "Безопасность" */                                                 \
    FLAG(cbPINCode)                                                           \
    TEXT(Passw, 4, u"")                                                       \
    CONTROL(btOnOffPIN)                                                       \
    TEXT(OldPass_, 4, u"")                                                    \
    TEXT(NewPass_, 4, u"")                                                    \
    CONTROL(btChangePIN)                                                      \
    TEXT(edMasterPass, 16, u"")                                               \
    TEXT(NewPassM, 4, u"")                                                    \
    CONTROL(edResetLockMp)                                                    \
    FLAG(cbViewPassEn)                                                        \
    /* page "Контрольная зона" */                                             \
    FLAG(cbCZ_En_Control)                                                     \
    CONTROL(GroupBox9)                                                        \
    FLAG(cbCZ_Out)                                                            \
    FLAG(cbCZ_In)                                                             \
    CONTROL(GroupBox8)                                                        \
    CONTROL(Label49)                                                          \
    TEXT(edLat, 10, u"0")                                                     \
    CONTROL(Label50)                                                          \
    TEXT(edLon, 11, u"0")                                                     \
    CONTROL(Label51)                                                          \
    TEXT(edRadius, 6, u"0")                                                   \
    CONTROL(GroupBox7)                                                        \
    FLAG(cbCZ_SMS_En)                                                         \
    FLAG(cbCZ_Server_En)                                                      \
    FLAG(cbCZ_SMTP_En)                                                        \
    /* page "Разное" */                                                       \
    TEXT(edDevName, 8, u"")                                                   \
    FLAG(cbInd)                                                               \
    FLAG(cbAutoTimeSync)                                                      \
    TEXT(edTimeSync, 0, u"")                                                  \
    TEXT(edTimeZone, 3, u"0")                                                 \
    FLAG(cbAutoSummerTime)                                                    \
    RADIO(rbGoogle, MapFormat)                                                \
    TEXT(edMapFormat_1, 96, u"Google Maps")                                   \
    RADIO(rbYandex, MapFormat)                                                \
    TEXT(edMapFormat_2, 96, u"Яндекс карты")                                  \
    RADIO(rbCoordinate, MapFormat)                                            \
    FLAG(cbOutputLog)                                                         \
    FLAG(cbSendDataUSB)                                                       \
    CONTROL(btDefaultSetup)                                                   \
    TEXT(edCmd, 63, u"")                                                      \
    CONTROL(btSkip)                                                           \
    CONTROL(Button2)                                                          \
    CONTROL(Button1)
