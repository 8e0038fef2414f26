#pragma once

// The fake graph renders a name without reading it, but the channel hands it
// only names of disk files. Makes empty files under every name the fake-graph
// tests open (folders included), in the current directory.
void PlaceFakeClipFiles();
