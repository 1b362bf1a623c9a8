// The OPC UA server the tests and benchmarks talk to: a demo control loop that
// behaves like a small plant, a read-only variable, variables of several
// built-in types and a folder large enough to need BrowseNext. It listens on
// 127.0.0.1 only, registers nowhere and keeps its certificates in the folder
// given with --pki. Prints "READY <endpoint url>" once it accepts connections.
//
//   node server.js --port 4841 [--pki DIR] [--no-none] [--lifetime MS]
//
// --no-none offers only signed endpoints (no SecurityPolicy None);
// --lifetime sets the secure channel token lifetime the server grants.
//
// Faults are switched on and off by lines on standard input, each answered
// with "OK <line>" once it holds:
//   refuse NAME             writes to Loop1.NAME are refused (BadNotWritable)
//   accept                  every write is accepted again
//   quality NAME good|uncertain|bad
//                           Loop1.NAME is delivered with that status
//   stall MS                the server does nothing at all for MS ms
//   log                     each accepted write to Loop1 is printed from
//                           now on: "WRITE NAME VALUE"
//   shutdown MS             the server announces its shutdown (ServerState
//                           Shutdown), ends its sessions after MS ms and exits
"use strict";
const os = require("os");
const path = require("path");
const {
    OPCUAServer,
    OPCUACertificateManager,
    RegisterServerMethod,
    DataType,
    Variant,
    StatusCodes,
    DataValue,
    MessageSecurityMode,
    SecurityPolicy,
    VariantArrayType,
} = require("node-opcua");

function option(name, fallback) {
    const at = process.argv.indexOf(name);
    return at >= 0 && at + 1 < process.argv.length ? process.argv[at + 1] : fallback;
}
const port = parseInt(option("--port", "4841"), 10);
const pki = option("--pki", path.join(os.tmpdir(), `varkol-ua-pki-${port}`));
const noNone = process.argv.includes("--no-none");
const lifetime = parseInt(option("--lifetime", "600000"), 10);

async function main() {
    const certificates = (folder) =>
        new OPCUACertificateManager({
            rootFolder: path.join(pki, folder),
            automaticallyAcceptUnknownCertificate: true,
        });
    const server = new OPCUAServer({
        port,
        host: "127.0.0.1",
        hostname: "127.0.0.1",
        resourcePath: "/UA/Varkol",
        registerServerMethod: RegisterServerMethod.HIDDEN,
        serverCertificateManager: certificates("server"),
        userCertificateManager: certificates("user"),
        defaultSecureTokenLifetime: lifetime,
        serverCapabilities: { maxSessions: 100 },
        maxConnectionsPerEndpoint: 100,
        securityModes: noNone
            ? [MessageSecurityMode.Sign, MessageSecurityMode.SignAndEncrypt]
            : [MessageSecurityMode.None],
        securityPolicies: noNone ? [SecurityPolicy.Basic256Sha256] : [SecurityPolicy.None],
        buildInfo: { productName: "Varkol test server" },
    });
    await server.initialize();
    const addressSpace = server.engine.addressSpace;
    const ns = addressSpace.getOwnNamespace();
    const objects = addressSpace.rootFolder.objects;

    // The loop: U follows MV in manual; in automatic a PI controller drives
    // Y1 to the set point 50. Y1 lags U, Y2 lags Y1.
    const loop = ns.addFolder(objects, { browseName: "Loop1", nodeId: "s=Loop1" });
    const state = { MV: 0, U: 0, Y1: 0, Y2: 0, P: 1, I: 10, D: 0, RA: 0, Manual: true, Auto: 0 };
    const types = { MV: DataType.Double, U: DataType.Double, Y1: DataType.Double, Y2: DataType.Double,
                    P: DataType.Double, I: DataType.Double, D: DataType.Double, RA: DataType.Int32,
                    Manual: DataType.Boolean, Auto: DataType.Int16 };
    const refused = new Set();
    const quality = {};
    let logWrites = false;
    for (const name of Object.keys(state)) {
        ns.addVariable({
            componentOf: loop,
            browseName: name,
            nodeId: `s=Loop1.${name}`,
            dataType: Object.keys(DataType).find((key) => DataType[key] === types[name]),
            minimumSamplingInterval: 10,
            value: {
                timestamped_get: () =>
                    new DataValue({
                        value: new Variant({ dataType: types[name], value: state[name] }),
                        statusCode: quality[name] || StatusCodes.Good,
                        sourceTimestamp: new Date(),
                    }),
                set: (variant) => {
                    if (refused.has(name)) return StatusCodes.BadNotWritable;
                    state[name] = variant.value;
                    if (logWrites) console.log(`WRITE ${name} ${variant.value}`);
                    if (name === "Manual" && variant.value) { state.Auto = 0; state.RA = 0; }
                    if (name === "Auto" && variant.value) state.Manual = false;
                    return StatusCodes.Good;
                },
            },
        });
    }
    ns.addVariable({
        componentOf: loop,
        browseName: "SP",
        nodeId: "s=Loop1.SP",
        dataType: "Double",
        minimumSamplingInterval: 100,
        accessLevel: "CurrentRead",
        userAccessLevel: "CurrentRead",
        value: { get: () => new Variant({ dataType: DataType.Double, value: 50 }) },
    });
    let integral = 0;
    const stepMs = 50;
    setInterval(() => {
        const dt = stepMs / 1000;
        const automatic = state.RA === 1 || (state.Auto !== 0 && !state.Manual);
        if (!automatic) {
            state.U = state.MV;
        } else {
            const error = 50 - state.Y1;
            integral += state.I > 0 ? (error * dt) / state.I : 0;
            state.U = Math.min(100, Math.max(0, state.P * (error + integral)));
        }
        state.Y1 += (state.U - state.Y1) * (dt / 2);
        state.Y2 += (state.Y1 - state.Y2) * (dt / 4);
    }, stepMs);

    // A value that changes every 10 ms.
    let fast = 0;
    setInterval(() => { fast += 1; }, 10);
    ns.addVariable({
        componentOf: loop,
        browseName: "Fast",
        nodeId: "s=Loop1.Fast",
        dataType: "Double",
        minimumSamplingInterval: 10,
        value: { get: () => new Variant({ dataType: DataType.Double, value: fast }) },
    });

    // One writable variable of each built-in type the workstation writes.
    const typesFolder = ns.addFolder(objects, { browseName: "Types", nodeId: "s=Types" });
    const samples = [
        ["Boolean", DataType.Boolean, false], ["SByte", DataType.SByte, -5],
        ["Byte", DataType.Byte, 200], ["Int16", DataType.Int16, -300],
        ["UInt16", DataType.UInt16, 60000], ["Int32", DataType.Int32, -70000],
        ["UInt32", DataType.UInt32, 4000000000], ["Int64", DataType.Int64, [0xffffffff, 0xfffffffe]],
        ["UInt64", DataType.UInt64, [1, 2]], ["Float", DataType.Float, 1.5],
        ["Double", DataType.Double, 2.25], ["String", DataType.String, "tekst"],
        ["DateTime", DataType.DateTime, new Date(Date.UTC(2026, 0, 2, 3, 4, 5))],
    ];
    for (const [name, dataType, value] of samples) {
        ns.addVariable({
            componentOf: typesFolder,
            browseName: name,
            nodeId: `s=Types.${name}`,
            dataType: name,
            value: new Variant({ dataType, arrayType: VariantArrayType.Scalar, value }),
        });
    }

    // A folder of 150 variables: more than one Browse answer holds.
    const big = ns.addFolder(objects, { browseName: "Big", nodeId: "s=Big" });
    for (let i = 1; i <= 150; ++i) {
        const name = `V${String(i).padStart(3, "0")}`;
        ns.addVariable({
            componentOf: big,
            browseName: name,
            nodeId: `s=Big.${name}`,
            dataType: "Double",
            value: new Variant({ dataType: DataType.Double, value: i }),
        });
    }

    const qualities = {
        good: StatusCodes.Good,
        uncertain: StatusCodes.UncertainLastUsableValue,
        bad: StatusCodes.BadNotConnected,
    };
    const obey = (line) => {
        const [command, a, b] = line.trim().split(/\s+/);
        if (command === "refuse" && a in state) refused.add(a);
        else if (command === "accept") refused.clear();
        else if (command === "log") logWrites = true;
        else if (command === "quality" && a in state && b in qualities) quality[a] = qualities[b];
        else if (command === "stall" && Number(a) >= 0) {
            const until = Date.now() + Number(a);
            while (Date.now() < until);
        } else if (command === "shutdown" && Number(a) >= 0) {
            server.shutdown(Number(a)).then(() => process.exit(0));
        } else return console.log(`UNKNOWN ${line}`);
        console.log(`OK ${line}`);
    };
    require("readline").createInterface({ input: process.stdin }).on("line", obey);

    await server.start();
    console.log(`READY ${server.getEndpointUrl()}`);
    const stop = async () => {
        await server.shutdown(0);
        process.exit(0);
    };
    process.on("SIGTERM", stop);
    process.on("SIGINT", stop);
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
