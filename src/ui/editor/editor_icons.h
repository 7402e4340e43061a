// The page editor's toolbar pictures, drawn in code so they stay sharp at every size.
#pragma once

#include <QColor>
#include <QIcon>

namespace ui {

enum class EditorIcon {
    New,
    Open,
    Save,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    Play,
    AddStyle,
    Styles,
    Subscript,
    Normal,
    Superscript,
    TextColour,
    AlignLeft,
    AlignCenter,
    AlignRight,
    Paragraph,
    Fixed,
    Scroller,
    Roll,
    VTop,
    VCenter,
    VBottom,
    FrameColour,
    FrameFormat,
    Front,
    Back,
    Lock,
    DeleteFrame,
    PageColour,
    Background,
    Reference,
    Picture,
    Text,
    ZoomIn,
    ZoomOut,
};

QIcon MakeEditorIcon(EditorIcon which);
// A colour icon: a swatch under a letter or a frame, for the colour commands.
QIcon MakeColourIcon(EditorIcon which, const QColor& colour);

}  // namespace ui
