// The window's drop handlers: the window itself and 17 of its controls (Label4 and Shape1 take no
// drops). Each only passes its event on to RegisterDroppedScript.
#pragma once

#include <cstdint>

#include "dscp/drop_registration.h"

namespace karuvel {

using DropHandler = void (*)(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift,
                             float X, float Y);

void Form_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Cbo切替対象_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Cbo切替スクリプト_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Cmd切替_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Cmd再読み込み_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Cmd詳細_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Cmd終了_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Fraパネル_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Frame1_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Frame2_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Frame3_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Frame4_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Label1_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Label2_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Label3_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void LblVersion_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Text1_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);
void Text2_OLEDragDrop(App&, const DropData&, uint32_t&, int16_t, int16_t, float, float);

}  // namespace karuvel
