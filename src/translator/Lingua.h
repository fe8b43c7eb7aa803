// liblingua: the translator library's public interface.
//
// The library translates windows, menus and program texts into the language of
// a language file, records the texts it could not translate, and supplies the
// locale settings (the Intl group) and display pictures of the active locale.
//
// Contract shared by every export:
// - There is one library state per process, used from the GUI thread only.
// - No export throws. Each one records a state code that the caller reads with
//   TranslatorErrorcode() (table below) and returns.
// - Strings are passed and returned by value; returned strings are clipped
//   (trailing blanks removed).
//
// State codes:
//   0 NoError            8 LTT_CannotGet       16 NLSFileNotFound
//   1 TooManyErr         9 CannotAdd           17 LCIDNotInstalled
//   2 CannotCreate      10 NotInitialised      18 LCIDNotSuported
//   3 NoAccessErr       11 OutOfMenory         19 InvalidParameter
//   4 TypeDescErr       12 BadQueueGet         20 BadRegistryFile
//   5 UnknownErr        13 CannotAddNF         21 DateOutOfRange
//   6 UnableToSort      14 BadConfigStr        22 PicsNotInitialized
//   7 UnableToAdd       15 SelectCancelled
//
// Language file: an SQLite database with the table LANGF (LOOKUP 64, LUHOTKEY 1,
// REPLACEMENT 64, REPHOTKEY 1, ENTRYTYPE 8 characters, stored clipped) and the
// unique index LANGF_LOOKUPKEY on (LOOKUP, LUHOTKEY, ENTRYTYPE).
//
// How Qt widgets map onto control kinds (Translate, TRANSLATECONTROL[S]).
// "Tips" means: unless the window is a report, the widget's statusTip is
// looked up as Message, its whatsThis (the help keyword) as HelpItem and its
// toolTip as ToolTip, each without hot-key handling.
//
//   kind  widget                                               treatment
//   ----  --------------------------------------------------- -------------------------------------
//    1    QLabel with a "picture" property (display field)     picture := TranslatePicture(picture,
//                                                               DisplayFlags); no tips
//    2    QLabel without buddy and without picture              text as Text, no hot key; no tips
//   10    QLabel with a buddy (a prompt)                        text as Text with hot key; no tips
//    8    QLineEdit / QDateEdit etc. with a "picture" property  picture :=
//    TranslatePicture(picture,
//                                                               EntryFlags); tips
//   16    QAbstractSpinBox with a "picture" property            as kind 8
//    9    QGroupBox (not an option group)                       title as Text with hot key; tips
//   11    QGroupBox that holds QRadioButtons (option group)     title as Text with hot key; message
//                                                               and help only
//   12    QPushButton, QToolButton without a default action     text as Text with hot key; tips
//   13    QCheckBox                                             text as Text with hot key; tips
//   21    QRadioButton                                          text as Text with hot key; tips
//   38    QTabWidget                                            each tab caption as Text with hot
//                                                               key; the tab's own tool tip and
//                                                               whatsThis; tips of the tab widget
//   14    QAbstractItemView with a "format" property            format := TranslateFormat(format);
//                                                               headings written into the model's
//                                                               horizontal header; tips
//   15    QComboBox with a "format" property                    as kind 14 (format only); tips
//   17    QLineEdit without picture, QTextEdit, QPlainTextEdit,
//         other item views and combo boxes                      tips only
//    0    anything else                                         nothing
//
// Controls are the window's descendant widgets in creation order (depth first),
// numbered from 1; the inner parts of composite widgets (a spin box's line
// edit, a tab widget's tab bar, scroll bars, item-view headers) and other
// top-level windows are not controls. Window kinds: 24 a QMainWindow, 26 a
// window whose property "report" is true (no message, help or tool-tip
// translation), 25 any other window. The window title is looked up as WinTitle.
#pragma once

#include <QString>

#include <cstdint>

class QWidget;

#define LINGUA_EXPORT __attribute__((visibility("default")))

// ---------------------------------------------------------------------------
// The Intl group: locale settings exchanged with the program.
// A text field of N characters holds N whole characters of UTF-8 text, so it
// has room for N * kIntlCharBytes bytes: a Russian month name or a Japanese
// morning designator is never cut to a few letters or to nothing. Texts are
// cut at a character boundary and padded with blanks. Fields of width 1 hold
// one ASCII character (locale separators outside ASCII are replaced by their
// nearest ASCII form, a no-break space by a blank).
// ---------------------------------------------------------------------------
constexpr int kIntlCharBytes = 4;  // the longest UTF-8 sequence of one character
constexpr int intlBytes(int characters) {
    return characters * kIntlCharBytes;
}
constexpr int kIntlNameChars = 13;  // characters of one month or day name slot

#pragma pack(push, 1)
struct IntlGroup {
    char sCountry[intlBytes(25)];
    std::uint16_t iCountry;
    char sList[1];
    std::uint8_t iMeasure;
    char sDecimal[1];
    char sThousand[1];
    std::uint8_t iDigits;
    std::uint8_t ilZero;
    std::uint8_t iNegNumber;
    char sCurrency[intlBytes(6)];
    std::uint8_t iCurrDigits;
    std::uint8_t iCurrency;
    std::uint8_t iNegCurrency;
    char sDate[1];
    char sTime[1];
    char sShortDate[intlBytes(10)];
    char sLongDate[intlBytes(40)];
    std::uint8_t iDate;  // 0 month-day-year, 1 day-month-year, 2 year-month-day
    std::uint8_t iTime;  // 0 twelve-hour, 1 twenty-four-hour
    std::uint8_t iTLZero;
    char s1159[intlBytes(2)];
    char s2359[intlBytes(2)];
    char sLanguage[intlBytes(25)];
    char sNativeLangName[intlBytes(25)];
    char sAbbrevLangName[intlBytes(3)];
    char iLanguage[intlBytes(5)];  // locale identifier, four upper-case hex digits
    char sEngLanguage[intlBytes(25)];
    char sEngCountry[intlBytes(25)];
    char sNativeCtryName[intlBytes(25)];
    char MonStr[12 * intlBytes(kIntlNameChars)];       // 12 slots of 13 characters
    char MonthStr[12 * intlBytes(kIntlNameChars)];     // 12 slots of 13 characters
    char DayStr[7 * intlBytes(kIntlNameChars)];        // 7 slots, Sunday first
    char AbbrevDayStr[7 * intlBytes(kIntlNameChars)];  // 7 slots, Sunday first
    char PictureOptions[6];                            // the caller's own field, carried through
    std::uint32_t CurrLCID;
    std::uint32_t EntryFlags;
    std::uint32_t DisplayFlags;
};
#pragma pack(pop)

// Bits of EntryFlags / DisplayFlags (the options word of TranslatePicture).
enum PictureOption : std::uint32_t {
    kPicFourDigitYear = 0x1,  // pictures with two-digit years become four-digit ones
    kPicBlankZero = 0x2,      // date pictures show a zero date blank (a "B" toggles it)
};

// A group with blank texts and zero numbers.
LINGUA_EXPORT void ClearIntlGroup(IntlGroup& group);

// ---------------------------------------------------------------------------
// Translation
// ---------------------------------------------------------------------------
extern "C" {
// Writes the Not-Found texts into the language file and frees both tables.
LINGUA_EXPORT void CloseTranslator();
// The state code of the last operation.
LINGUA_EXPORT std::uint16_t TranslatorErrorcode();
// If the state code is not 0, hands "<code> <message>" to the stop handler,
// which shows it and ends the program.
LINGUA_EXPORT void ShowTranError();
}

// Loads the language file (created empty when missing). 1 initialised, 0 not.
LINGUA_EXPORT std::uint16_t InitTranslator(const QString& languageFile);

// Translates the window's menu bar, title and controls (table above).
LINGUA_EXPORT void Translate(QWidget* window);
// Translates control `control` (1-based, numbering above) of the window.
LINGUA_EXPORT void TRANSLATECONTROL(QWidget* window, int control);
// Translates the controls first..last inclusive.
LINGUA_EXPORT void TRANSLATECONTROLS(QWidget* window, int first, int last);
// Number of controls of a window, in the numbering above.
LINGUA_EXPORT int TranslatorControlCount(QWidget* window);

// A program text looked up as entry type String.
LINGUA_EXPORT QString TranslateString(const QString& text);

// Replaces the first "%1".."%4" by the clipped values, in that order, on the
// template cut to 255 characters; the result holds at most 255 characters.
LINGUA_EXPORT QString MergeString(const QString& templateText, const QString& value1,
                                  const QString& value2 = QString(),
                                  const QString& value3 = QString(),
                                  const QString& value4 = QString());

// Copies the language file's records into a fresh file and rebuilds its key,
// showing the "Rebuilding File" progress window when a GUI is running.
LINGUA_EXPORT std::uint16_t RebuildFile(const QString& languageFile);

// The "Select Language" window. `config` lists up to six entries
// "icon,language name,language file" separated by "|". `localeNames` (settings
// files or ICU locale names such as "de_DE") or `localeIds` (numeric locale
// identifiers) give the locale of each entry; `group` is filled on return.
LINGUA_EXPORT void UserLanguageSelect(IntlGroup& group, int pictureIndex,
                                      const QStringList& localeNames, const QString& config,
                                      const QString& helpKeyword);
LINGUA_EXPORT void UserLanguageSelect(IntlGroup& group, int pictureIndex,
                                      const QList<std::uint32_t>& localeIds, const QString& config,
                                      const QString& helpKeyword);

// Full name of the loaded language file; empty when not initialised.
LINGUA_EXPORT QString CurrentLangFile();
// Always "2.1002".
LINGUA_EXPORT QString TranslatorVersion();
// The message of the state code, localised through Ling.nls.
LINGUA_EXPORT QString TranslatorError();

// Hooks the program installs at start-up. Each may be null (default behaviour).
using TranslatorStopHandler = void (*)(const QString& text);     // default: message box, exit(1)
using TranslatorHelpHandler = void (*)(const QString& keyword);  // default: nothing
using TranslatorMessageHandler = void (*)(const QString& title,
                                          const QString& text);   // default: message box
using PictureSettingsHandler = void (*)(const IntlGroup& group);  // called by InitPictures
LINGUA_EXPORT void SetTranslatorStopHandler(TranslatorStopHandler handler);
LINGUA_EXPORT void SetTranslatorHelpHandler(TranslatorHelpHandler handler);
LINGUA_EXPORT void SetTranslatorMessageHandler(TranslatorMessageHandler handler);
LINGUA_EXPORT void SetPictureSettingsHandler(PictureSettingsHandler handler);
// Decides whether a language file may be written in place; a file that may
// not is read only and its texts not found go to the user's own file. The
// default checks the file's and its folder's write permission; null restores
// it. (Permission bits do not bind root, so tests run as root say here which
// file counts as installed read-only.)
using LanguageFileWritableCheck = bool (*)(const QString& path);
LINGUA_EXPORT void SetLanguageFileWritableCheck(LanguageFileWritableCheck check);

// ---------------------------------------------------------------------------
// Locale settings and pictures
// ---------------------------------------------------------------------------
extern "C" {
// Makes a copy of the group the active locale settings and hands the month
// names to the picture-settings handler. Always 1.
LINGUA_EXPORT std::uint16_t InitPictures(const IntlGroup* group);
// The active locale's ICU name (UTF-8, cut to size-1 bytes) and identifier.
// 0, or 22 when pictures are not initialised (then "" and 0).
LINGUA_EXPORT std::uint8_t CurrentLocale(char* name, int size, std::uint32_t* lcid);
}

// Fills the group from the locale `lcid` (0: the user's default locale) when
// `useLocale` is set or `settingsFile` is blank, else from section Intl of the
// settings file. The caller's CurrLCID selects the currency locale (0: the
// group's own). Returns the state code, 0 on success.
LINGUA_EXPORT std::uint16_t GetIntlGroup(IntlGroup& group, std::uint32_t lcid, bool useLocale,
                                         const QString& settingsFile);
// Writes the active group into section Intl of the file (state 22 when
// pictures are not initialised).
LINGUA_EXPORT void CreateNLS(const QString& settingsFile);
// A display picture rewritten for the active locale (at most 64 characters).
LINGUA_EXPORT QString TranslatePicture(const QString& picture, std::uint32_t options,
                                       bool ignoreOptions);
// A list-box format string with its pictures and headings translated.
LINGUA_EXPORT QString TranslateFormat(const QString& format);
// A day number in the long-date format (the active sLongDate when blank),
// at most 30 characters; empty with state 21 outside day 4..109211.
LINGUA_EXPORT QString GetLongDate(std::int32_t date, const QString& format = QString());
