#include "find/find_state.h"

FindState &findState() {
    static FindState state;
    return state;
}
