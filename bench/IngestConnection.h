#pragma once

class VDLClient;
class VDLTopic;

// Waits (running the event loop) until a client that is connecting has its root topic, for up to
// two minutes. Answers the root, owned by the client, or null when it did not connect. GUI thread.
VDLTopic *ingestWaitForRoot(VDLClient &client);
