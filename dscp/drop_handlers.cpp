#include "dscp/drop_handlers.h"

namespace karuvel {

void Form_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                      float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Cbo切替対象_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                         float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Cbo切替スクリプト_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                            float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Cmd切替_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                       float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Cmd再読み込み_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                          float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Cmd詳細_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                       float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Cmd終了_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                       float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Fraパネル_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                        float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Frame1_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                        float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Frame2_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                        float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Frame3_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                        float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Frame4_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                        float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Label1_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                        float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Label2_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                        float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Label3_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                        float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void LblVersion_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                            float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Text1_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                       float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

void Text2_OLEDragDrop(App& app, const DropData& Data, uint32_t& Effect, int16_t Button, int16_t Shift, float X,
                       float Y) {
  RegisterDroppedScript(app, Data, Effect, Button, Shift, X, Y);
}

}  // namespace karuvel
