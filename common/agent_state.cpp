#include "common/agent_state.h"

AgentState agent;
