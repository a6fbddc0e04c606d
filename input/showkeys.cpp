#include "input/showkeys.h"

#include <QKeyEvent>

namespace ShowKeys {

namespace {

constexpr Qt::KeyboardModifiers relevant = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier
                                         | Qt::MetaModifier;

struct Binding
{
    int key;
    Qt::KeyboardModifiers modifiers;
    ShowAction::Kind action;
};

// Held keys drive with or without Shift, as they did before this map; everything
// else wants exactly its modifiers.
const Binding bindings[] = {
    {Qt::Key_Up, Qt::NoModifier, ShowAction::DriveUp},
    {Qt::Key_Down, Qt::NoModifier, ShowAction::DriveDown},
    {Qt::Key_Left, Qt::NoModifier, ShowAction::DriveLeft},
    {Qt::Key_Right, Qt::NoModifier, ShowAction::DriveRight},
    {Qt::Key_PageUp, Qt::NoModifier, ShowAction::ZoomIn},
    {Qt::Key_PageDown, Qt::NoModifier, ShowAction::ZoomOut},
    {Qt::Key_F, Qt::NoModifier, ShowAction::FocusFar},
    {Qt::Key_N, Qt::NoModifier, ShowAction::FocusNear},
    {Qt::Key_PageDown, Qt::ControlModifier, ShowAction::NextCamera},
    {Qt::Key_PageUp, Qt::ControlModifier, ShowAction::PreviousCamera},
    {Qt::Key_Home, Qt::NoModifier, ShowAction::Home},
    {Qt::Key_A, Qt::NoModifier, ShowAction::OnePushFocus},
    {Qt::Key_F1, Qt::NoModifier, ShowAction::KeyMap},
    {Qt::Key_L, Qt::NoModifier, ShowAction::PreviewLatency},
};

} // namespace

// X11 and Wayland report the kernel's key code plus 8: the digit row 1 .. 0 is
// 10 .. 19. Windows reports set 1 scan codes, 0x02 .. 0x0B. Both fixed by position.
int physicalDigit(const QKeyEvent *event)
{
    const quint32 code = event->nativeScanCode();
#if defined(Q_OS_WIN)
    if (code >= 0x02 && code <= 0x0B && !(event->modifiers() & Qt::KeypadModifier))
        return int(code - 0x01) % 10;
#elif defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (code >= 10 && code <= 19)
        return int(code - 9) % 10;
#endif
    // Elsewhere, and for the keypad, the key itself; with NumLock off the keypad
    // gives navigation keys instead, which is what the operator asked for then.
    if (event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9)
        return event->key() - Qt::Key_0;
    return -1;
}

ShowAction actionFor(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & relevant;
    const int digit = physicalDigit(event);
    if (digit >= 0) {
        if (modifiers == Qt::NoModifier)
            return {ShowAction::RecallPreset, digit};
        if (modifiers == Qt::ControlModifier && digit != 0)
            return {ShowAction::SelectCamera, digit};
        if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
            return {ShowAction::StorePreset, digit};
        return {};
    }
    for (const Binding &binding : bindings) {
        if (binding.key != event->key())
            continue;
        const ShowAction action{binding.action, 0};
        const Qt::KeyboardModifiers asked = action.isHeld() ? modifiers & ~Qt::ShiftModifier : modifiers;
        if (asked == binding.modifiers)
            return action;
    }
    return {};
}

QVector<QPair<QString, QString>> rows()
{
    return {
        {QStringLiteral("Arrows"), QStringLiteral("Pan and tilt while held")},
        {QStringLiteral("Page Up / Page Down"), QStringLiteral("Zoom in / out while held")},
        {QStringLiteral("F / N"), QStringLiteral("Focus far / near while held")},
        {QStringLiteral("A"), QStringLiteral("One-push autofocus")},
        {QStringLiteral("Home"), QStringLiteral("Home (pan and tilt to the centre)")},
        {QStringLiteral("1 \u2026 9, 0"), QStringLiteral("Recall preset 1 \u2026 9, 0")},
        {QStringLiteral("Ctrl+Shift+1 \u2026 0"), QStringLiteral("Store preset 1 \u2026 9, 0 (not while moving)")},
        {QStringLiteral("Ctrl+1 \u2026 Ctrl+9"), QStringLiteral("Camera 1 \u2026 9 of Saved Cameras")},
        {QStringLiteral("Ctrl+Page Down / Up"), QStringLiteral("Next / previous saved camera")},
        {QStringLiteral("L"), QStringLiteral("Preview: low latency on / off (kept for the next start)")},
        {QStringLiteral("F1"), QStringLiteral("Show or hide this map")},
    };
}

} // namespace ShowKeys
