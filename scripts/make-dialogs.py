#!/usr/bin/env python3
"""Writes the Qt Designer files of the three dialogs into res/.

The dialogs are laid out in dialog units, the way their controls were first
drawn. One conversion serves the whole program: the base units of an 8-point
sans serif font, 6 x 13 pixels, so x = du * 6 / 4 and y = du * 13 / 8.

Run from the repository root after changing a table below; the .ui files it
writes are committed, and can be touched up in Designer afterwards.
"""

from xml.sax.saxutils import escape

BASE_X, BASE_Y = 6, 13


def px_x(du):
    return round(du * BASE_X / 4)


def px_y(du):
    return round(du * BASE_Y / 8)


def rect(x, y, w, h):
    return px_x(x), px_y(y), px_x(w), px_y(h)


def prop(name, inner):
    return f'<property name="{name}">{inner}</property>'


def string(text):
    return f"<string>{escape(text)}</string>"


def geometry(x, y, w, h):
    return prop("geometry", f"<rect><x>{x}</x><y>{y}</y><width>{w}</width><height>{h}</height></rect>")


def accessible(name):
    # What a screen reader says for a control whose own text does not tell.
    return prop("accessibleName", string(name))


def widget(cls, name, geo, *props):
    body = "".join([geometry(*geo), *props])
    return f'<widget class="{cls}" name="{name}">{body}</widget>'


def label(name, text, du, *props):
    return widget("QLabel", name, rect(*du), prop("text", string(text)), *props)


def font8():
    # An 8-point condensed sans serif has the base units used above: an
    # average character 6 pixels wide and a line 13 pixels high.
    return prop("font", "<font><family>DejaVu Sans Condensed</family><pointsize>8</pointsize></font>")


def ui_file(cls, base, caption, size, children, layout_client=False, custom=()):
    w, h = size
    inner = "".join(children)
    if layout_client:
        # The dialog's client area sits in a layout so that a menu bar can be
        # put above it at run time; the controls keep fixed positions in it.
        inner = (
            '<layout class="QVBoxLayout" name="dialogLayout">'
            + prop("spacing", "<number>0</number>")
            + "".join(prop(f"{side}Margin", "<number>0</number>") for side in ("left", "top", "right", "bottom"))
            + '<item><widget class="QWidget" name="clientArea">'
            + inner
            + "</widget></item></layout>"
        )
    customs = ""
    if custom:
        customs = "<customwidgets>" + "".join(
            f"<customwidget><class>{c}</class><extends>{e}</extends><header>{hdr}</header></customwidget>"
            for c, e, hdr in custom
        ) + "</customwidgets>"
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<ui version="4.0"><class>{cls}</class>'
        f'<widget class="{base}" name="{cls}">'
        + geometry(0, 0, w, h)
        + prop("windowTitle", string(caption))
        + font8()
        + inner
        + "</widget>"
        + customs
        + "<resources/><connections/></ui>\n"
    )


def main_window():
    children = [
        widget("QGroupBox", "groupPlayBetween", rect(5, 134, 75, 58), prop("title", string("")),
               accessible("Play window")),
        widget("CEventListCtrl", "listEvents", rect(140, 99, 269, 59), accessible("Events")),
        widget("QLineEdit", "editPause", rect(63, 111, 13, 14),
               accessible("Pause between repetitions (sec)")),
        widget("QCheckBox", "checkPlayBetween", rect(9, 134, 59, 10), prop("text", string("Play between"))),
        widget("QDateTimeEdit", "dtpFrom", rect(11, 148, 62, 15), accessible("Play between"),
               prop("displayFormat", string("HH:mm:ss")),
               prop("alignment", "<set>Qt::AlignRight|Qt::AlignVCenter</set>")),
        widget("QDateTimeEdit", "dtpTo", rect(11, 172, 62, 15), accessible("and"),
               prop("displayFormat", string("HH:mm:ss")),
               prop("alignment", "<set>Qt::AlignRight|Qt::AlignVCenter</set>")),
        widget("QLabel", "pictureSide", (px_x(6), px_y(33), 112, 113),
               prop("pixmap", '<pixmap resource="parlowen.qrc">:/images/sidepicture.png</pixmap>'),
               accessible("Speaking clock")),
        label("labelAnd", "and", (35, 163, 13, 8)),
        # Three lines high: this font breaks the text once more than the
        # template's did, and the room down to the group box is free.
        label("labelPause", "Pause between repetitions (sec)", (9, 110, 50, 24),
              prop("wordWrap", "<bool>true</bool>")),
    ]
    return ui_file("CSchedulerDlg", "QDialog", "Morvane (version 0.02)", (px_x(416), px_y(199)),
                   children, layout_client=True,
                   custom=[("CEventListCtrl", "QTreeView", "eventlistctrl.h")])


def about():
    children = [
        widget("QLabel", "iconApp", (px_x(13), px_y(17), 32, 32),
               prop("pixmap", '<pixmap resource="parlowen.qrc">:/images/appicon32.png</pixmap>'),
               accessible("Parlowen")),
        label("labelVersion", "Parlowen Version 1.01.00", (40, 16, 96, 8)),
        widget("QPushButton", "buttonOk", rect(141, 21, 32, 14), prop("text", string("OK")),
               prop("default", "<bool>true</bool>")),
    ]
    return ui_file("CAboutDlg", "QDialog", "About Parlowen", (px_x(180), px_y(55)), children)


def event_editor():
    # The speech row sits below the audio file; what was drawn below it
    # moves down by the row's height.
    speech_row = 46

    def moved(x, y, w, h):
        return rect(x, y + speech_row if y >= 100 else y, w, h)

    def label(name, text, du, *props):
        return widget("QLabel", name, moved(*du), prop("text", string(text)), *props)

    def edit(name, du, spoken, *props):
        return widget("QLineEdit", name, moved(*du), accessible(spoken), *props)

    def updown(name, du, spoken):
        return widget("UpDownControl", name, moved(*du), accessible(spoken))

    def button(name, text, du, *props):
        return widget("QPushButton", name, moved(*du), prop("text", string(text)), prop("autoDefault", "<bool>false</bool>"), *props)

    def group(name, title, du):
        return widget("QGroupBox", name, moved(*du), prop("title", string(title)))

    # Group boxes first, so that the controls drawn on them stay on top.
    children = [
        group("groupRepetitions", "Repetitions", (7, 107, 209, 54)),
        group("groupEventName", "Event name", (7, 7, 76, 28)),
        group("groupAudioFile", "Audio file", (7, 41, 209, 57)),
        group("groupInterval", "Interval", (86, 7, 130, 28)),
        edit("editEventName", (11, 17, 67, 14), "Event name"),
        edit("editIntervalHour", (91, 17, 23, 14), "Interval hour"),
        updown("spinIntervalHour", (97, 33, 11, 14), "Interval hour up-down"),
        edit("editIntervalMin", (133, 17, 23, 14), "Interval min"),
        updown("spinIntervalMin", (135, 34, 11, 14), "Interval min up-down"),
        edit("editIntervalSec", (173, 17, 23, 14), "Interval sec"),
        updown("spinIntervalSec", (179, 33, 11, 14), "Interval sec up-down"),
        edit("editWaveFile", (11, 54, 148, 14), "Audio file", prop("readOnly", "<bool>true</bool>")),
        button("buttonOpenNew", "Open / New", (164, 54, 48, 14)),
        edit("editRepHour", (87, 141, 23, 14), "Repetitions Length hour"),
        updown("spinRepHour", (113, 135, 11, 14), "Repetitions Length hour up-down"),
        edit("editRepMin", (133, 141, 23, 14), "Repetitions Length min"),
        updown("spinRepMin", (157, 133, 11, 14), "Repetitions Length min up-down"),
        edit("editRepSec", (175, 141, 23, 14), "Repetitions Length sec"),
        updown("spinRepSec", (191, 131, 11, 14), "Repetitions Length sec up-down"),
        edit("editRepCount", (102, 119, 30, 14), "Number of Repetitions"),
        updown("spinRepCount", (132, 117, 11, 14), "Number of Repetitions up-down"),
        widget("QPushButton", "buttonOk", moved(7, 170, 50, 14), prop("text", string("OK")),
               prop("default", "<bool>true</bool>")),
        button("buttonCancel", "Cancel", (87, 170, 50, 14)),
        button("buttonHelp", "Help", (166, 170, 50, 14)),
        label("labelIntervalHour", "hour", (115, 23, 15, 8)),
        label("labelIntervalMin", "min", (157, 23, 12, 8)),
        label("labelIntervalSec", "sec", (197, 23, 12, 8)),
        label("labelCurrent", "00:00:00", (180, 75, 29, 8), accessible("Current")),
        label("labelLength", "00:00:00", (180, 87, 29, 8), accessible("Length")),
        label("labelLengthCaption", "Length :", (150, 87, 27, 8)),
        label("labelCurrentCaption", "Current :", (150, 74, 28, 8)),
        label("labelRepHour", "hour", (113, 147, 15, 8)),
        label("labelRepMin", "min", (159, 147, 12, 8)),
        label("labelRepSec", "sec", (201, 147, 12, 8)),
        # Five units wider than first drawn, up to the count's edit: the
        # caption needs them in this font.
        widget("QRadioButton", "radioCount", moved(11, 122, 91, 10), prop("text", string("Number of Repetitions")),
               prop("focusPolicy", "<enum>Qt::ClickFocus</enum>")),
        widget("QRadioButton", "radioLength", moved(11, 143, 75, 10), prop("text", string("Repetitions Length")),
               prop("focusPolicy", "<enum>Qt::ClickFocus</enum>")),
        button("buttonPlay", "Play", (12, 77, 35, 14)),
        button("buttonRecord", "Record", (60, 77, 35, 14)),
        button("buttonStop", "Stop", (108, 77, 35, 14)),
        # Speech: typed text becomes the event's wave. Drawn in the room
        # made for it, so not moved down: the text across the whole row,
        # below it the voice, whose language names are long, the speed and
        # the button.
        widget("QGroupBox", "groupSpeech", rect(7, 102, 209, 45), prop("title", string("Speech"))),
        widget("QLineEdit", "editSpeechText", rect(11, 112, 201, 14), accessible("Text to speak"),
               prop("placeholderText", string("Text to speak"))),
        widget("QLabel", "labelVoice", rect(11, 131, 21, 8), prop("text", string("Voice")),
               prop("buddy", "<cstring>comboVoice</cstring>")),
        widget("QComboBox", "comboVoice", rect(33, 129, 94, 14), accessible("Voice")),
        widget("QLabel", "labelRate", rect(130, 131, 22, 8), prop("text", string("Speed")),
               prop("buddy", "<cstring>spinRate</cstring>")),
        widget("QSpinBox", "spinRate", rect(152, 129, 27, 14), accessible("Speed"),
               prop("toolTip", string("Speed in words per minute")),
               prop("minimum", "<number>80</number>"), prop("maximum", "<number>450</number>"),
               prop("value", "<number>175</number>")),
        widget("QPushButton", "buttonSpeak", rect(182, 129, 30, 14), prop("text", string("Speak")),
               prop("autoDefault", "<bool>false</bool>")),
    ]
    return ui_file("CEventDlg", "QDialog", "Add Event", (px_x(222), px_y(191 + speech_row)), children,
                   custom=[("UpDownControl", "QWidget", "updowncontrol.h")])


if __name__ == "__main__":
    for name, text in (("schedulerdlg.ui", main_window()), ("aboutdlg.ui", about()),
                       ("eventdlg.ui", event_editor())):
        with open(f"res/{name}", "w", encoding="utf-8") as f:
            f.write(text)
