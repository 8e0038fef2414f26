#include "common/agent_state.h"

#include "playback/playback_channel.h"

AgentState agent;
