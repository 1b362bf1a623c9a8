// The operations of bench_opcua with node-opcua's own client, for comparison:
//   node bench/opcua_node_client.js opc.tcp://127.0.0.1:PORT/UA/Varkol
// (start the server with tests/opc/uaserver/server.js --port PORT). Prints
// the medians: connect (channel and session), a Read of 10 values, and the
// age of the values of a 10 ms subscription on arrival.
"use strict";
const path = require("path");
const { OPCUAClient, AttributeIds, MessageSecurityMode, SecurityPolicy, TimestampsToReturn } =
    require(path.join(__dirname, "../tests/opc/uaserver/node_modules/node-opcua"));

const url = process.argv[2];
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (start) => Number(process.hrtime.bigint() - start) / 1e6;
const options = { endpointMustExist: false, securityMode: MessageSecurityMode.None,
                  securityPolicy: SecurityPolicy.None, connectionStrategy: { maxRetry: 0 } };

async function main() {
    const connects = [];
    for (let i = 0; i < 50; ++i) {
        const client = OPCUAClient.create(options);
        const start = process.hrtime.bigint();
        await client.connect(url);
        const session = await client.createSession();
        connects.push(ms(start));
        await session.close();
        await client.disconnect();
    }
    const client = OPCUAClient.create(options);
    await client.connect(url);
    const session = await client.createSession();
    const nodes = ["MV", "U", "Y1", "Y2", "P", "I", "D", "RA", "Manual", "Auto"].map(
        (name) => ({ nodeId: `ns=1;s=Loop1.${name}`, attributeId: AttributeIds.Value }));
    const reads = [];
    for (let i = 0; i < 1500; ++i) {
        const start = process.hrtime.bigint();
        await session.read(nodes);
        reads.push(ms(start));
    }
    const subscription = await session.createSubscription2({
        requestedPublishingInterval: 10, requestedMaxKeepAliveCount: 100, requestedLifetimeCount: 300,
        publishingEnabled: true, maxNotificationsPerPublish: 0, priority: 0 });
    const item = await subscription.monitor({ nodeId: "ns=1;s=Loop1.Fast", attributeId: AttributeIds.Value },
        { samplingInterval: 10, queueSize: 1, discardOldest: true }, TimestampsToReturn.Both);
    const ages = [];
    item.on("changed", (value) => ages.push(Date.now() - value.sourceTimestamp.getTime()));
    await new Promise((resolve) => setTimeout(resolve, 6000));
    await subscription.terminate();
    await session.close();
    await client.disconnect();
    console.log(JSON.stringify({
        client: "node-opcua", connect_ms: median(connects), read10_ms: median(reads),
        subscription_deliveries: ages.length, subscription_median_age_ms: median(ages),
        revised_interval_ms: subscription.publishingInterval }));
}
main().catch((error) => { console.error(error); process.exit(1); });
