// Uses only the installed player header and library: the player answers
// before it is initialised.
#include <kvo_tts_player.h>

int main() {
  if (kvo_tts_player_get_state() != PLAYER_STATE_NOT_INIT) return 1;
  return kvo_tts_player_stop() == PLAYER_ERR_NOT_INIT ? 0 : 1;
}
