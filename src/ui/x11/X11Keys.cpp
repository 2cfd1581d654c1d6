#include "ui/x11/X11Keys.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace VSTGUI {

void X11Keys::load(xcb_connection_t* connection)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    minKeycode = setup->min_keycode;
    const uint8_t count = uint8_t(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, minKeycode, count), nullptr);
    if (!reply)
        return;
    perKeycode = reply->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int length = xcb_get_keyboard_mapping_keysyms_length(reply);
    keysyms.assign(syms, syms + length);
    free(reply);
}

VstKeyCode X11Keys::translate(uint8_t keycode, uint16_t state) const
{
    if (perKeycode == 0 || keycode < minKeycode)
        return {};
    const size_t base = size_t(keycode - minKeycode) * perKeycode;
    if (base >= keysyms.size())
        return {};
    uint32_t keysym = keysyms[base];
    if ((state & XCB_MOD_MASK_SHIFT) && perKeycode > 1 && keysyms[base + 1] != 0)
        keysym = keysyms[base + 1];
    return fromKeysym(keysym, state);
}

VstKeyCode X11Keys::fromKeysym(uint32_t keysym, uint16_t state)
{
    VstKeyCode key;
    if (state & XCB_MOD_MASK_SHIFT)
        key.modifier |= MODIFIER_SHIFT;
    if (state & XCB_MOD_MASK_CONTROL)
        key.modifier |= MODIFIER_CONTROL;
    if (state & XCB_MOD_MASK_1)
        key.modifier |= MODIFIER_ALTERNATE;
    switch (keysym) {
        case 0xff08: key.virt = VKEY_BACK; return key;
        case 0xff09: key.virt = VKEY_TAB; return key;
        case 0xff0d: key.virt = VKEY_RETURN; return key;
        case 0xff8d: key.virt = VKEY_ENTER; return key;
        case 0xff1b: key.virt = VKEY_ESCAPE; return key;
        case 0xff50: key.virt = VKEY_HOME; return key;
        case 0xff51: key.virt = VKEY_LEFT; return key;
        case 0xff52: key.virt = VKEY_UP; return key;
        case 0xff53: key.virt = VKEY_RIGHT; return key;
        case 0xff54: key.virt = VKEY_DOWN; return key;
        case 0xff55: key.virt = VKEY_PAGEUP; return key;
        case 0xff56: key.virt = VKEY_PAGEDOWN; return key;
        case 0xff57: key.virt = VKEY_END; return key;
        case 0xffff: key.virt = VKEY_DELETE; return key;
        case 0x20: key.virt = VKEY_SPACE; key.character = ' '; return key;
        default: break;
    }
    if (keysym >= 0xffb0 && keysym <= 0xffb9) {  // keypad digits
        key.character = int32_t('0' + (keysym - 0xffb0));
        return key;
    }
    if (keysym == 0xffae) {  // keypad decimal point
        key.character = '.';
        return key;
    }
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff))
        key.character = int32_t(keysym);  // Latin-1 keysyms are their code points
    else if (keysym >= 0x1000100 && keysym <= 0x110ffff)
        key.character = int32_t(keysym - 0x1000000);
    return key;
}

}  // namespace VSTGUI
