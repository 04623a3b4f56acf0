// Runs the functions of a generated script (already loaded with vendrel-host.js) against X_ITE and
// reports one row per function: [type, access, function, "works" or what went wrong]. hostChecks(kind,
// scriptText) leaves its rows as JSON in window.hostRows.
"use strict";

const { inputOnly, outputOnly, inputOutput } = X3D.X3DConstants;
const accessNames = { 1: "initializeOnly", [inputOnly]: "inputOnly", [outputOnly]: "outputOnly", [inputOutput]: "inputOutput" };

// A value of `type` that differs for each k (1 to 3), exact in single precision.
function sample(type, k) {
   const Type = X3D[type];
   switch (type) {
   case "SFBool": return k % 2 === 1;
   case "SFInt32": return k;
   case "SFString": return "s" + k;
   case "SFFloat": case "SFDouble": case "SFTime": return k + 0.5;
   case "SFNode": return X3D.getBrowser(document.querySelector("x3d-canvas")).currentScene.createNode("MetadataString");
   case "SFImage": return new Type(1, 2, 1, [k, k + 1]);
   case "SFRotation": return new Type(0, 0, 1, k / 8);
   }
   if (type.startsWith("MF"))
      return new Type(...[k, k + 1, k + 2].map((j) => sample("SF" + type.slice(2), j)));
   return new Type(...[1, 2, 3, 4].map((c) => (k + c) / 16));
}

const same = (a, b) => a === b || (a != null && typeof a.equals === "function" && b != null && a.equals(b));

const frames = () => new Promise((resolve) => setTimeout(resolve, 300));

// The generated functions: name, parameters, and the node path, field (or event-in) and DOM path they use.
function generated(script) {
   const list = [];
   for (const m of script.matchAll(/function (\w+)\(([^)]*)\)\r\n\{\r\n([\s\S]*?)\r\n\}\r\n/g)) {
      const call = m[3].match(/setNodeEventIn\w*\("([^"]*)", "([^"]*)"/);
      const get = m[3].match(/getNode\("([^"]*)"\);\r\n *field = node\.getField\("([^"]*)"\)/);
      const dom = m[3].match(/GetDOMValue\("([^"]*)"\)/);
      list.push({ name: m[1], params: m[2], path: (call || get || [])[1], field: (call || get || [])[2],
                  dom: dom && dom[1] });
   }
   return list;
}

function target(f) {
   const x3dNode = context.getNode(f.path).x3dNode;
   const name = x3dNode.getFieldDefinitions().get(f.field) ? f.field : f.field.slice(4);
   const d = x3dNode.getFieldDefinitions().get(name);
   return { x3dNode, name, type: d.getValue().getTypeName(), access: d.accessType,
            // where a value sent to an inputOnly field of the script can be read back
            readBack: d.accessType === inputOnly ? (name === "set_flag" ? "flag" : "o" + name.slice(1)) : name };
}

// A new url or load would reload or unload the script that copies the values.
const scriptItself = (t) => t.name === "url" || t.name === "load";

const checks = {
   // Every single-value setter changes its field; one that writes an outputOnly field throws.
   async Set(functions, row) {
      const pending = [];
      for (const f of functions.filter((f) => f.name.startsWith("Set_") && !f.params.startsWith("i,"))) {
         const t = target(f);
         if (scriptItself(t))
            continue;
         const value = sample(t.type, 2);
         const args = f.params === "v" ? [value] : f.params === "arr" ? [Array.from(value)] : Array.from(value);
         try {
            window[f.name](...args);
            if (t.access === outputOnly)
               row(t, f, "wrote an outputOnly field");
            else
               pending.push([t, f, value]);
         } catch (e) {
            row(t, f, t.access === outputOnly && e.message.includes(t.name) && e.message.includes(f.path) ? "works" : e.message);
         }
      }
      await frames();
      for (const [t, f, value] of pending)
         row(t, f, same(t.x3dNode[t.readBack], value) ? "works" : "reads back " + t.x3dNode[t.readBack]);
   },
   // Every getter returns X_ITE's value (the SFColor getter the field, whose value it is).
   async Get(functions, row) {
      for (const f of functions.filter((f) => f.name.startsWith("Get"))) {
         try {
            const value = window[f.name]();
            const t = f.dom ? { type: "(DOM path)", access: inputOutput } : target(f);
            if (f.dom)
               row(t, f, value !== undefined ? "works" : "undefined");
            else
               row(t, f, same(t.type === "SFColor" ? value.getValue() : value, t.x3dNode[t.name]) ? "works" : "gave " + value);
         } catch (e) {
            row({ type: "?", access: inputOutput }, f, e.message);
         }
      }
   },
   // Every listener runs once per change, also when the value becomes FALSE, 0, "" or NULL.
   async On(functions, row, script) {
      const observers = [];
      for (const m of script.matchAll(/getNode\("([^"]*)"\);\r\n *field = node\.getField\("([^"]*)"\);\r\n *(\w+) = new Object;/g)) {
         const calls = [];
         window[m[3]].readableFieldChanged = (value, time) => calls.push([value, time]);
         const t = target({ path: m[1], field: m[2] });
         if (!scriptItself(t))
            observers.push([t, { name: m[3] }, calls]);
      }
      for (const k of [1, 0]) {
         for (const [t] of observers) {
            const value = k ? sample(t.type, k) : new X3D[t.type]().valueOf();
            const into = t.access === outputOnly ? (t.name === "flag" ? "set_flag" : "i" + t.name.slice(1)) : t.name;
            t.x3dNode[into] = value;
         }
         await frames();
      }
      for (const [t, f, calls] of observers) {
         const last = calls[calls.length - 1];
         row(t, f, calls.length === 2 && same(last[0], t.x3dNode[t.name]) && typeof last[1] === "number"
            ? "works" : "called " + calls.length + " times");
      }
   },
   // Element setters change element i alone; get1Value and set1Value carry every element type, also for
   // inputOnly fields, whose earlier value the library keeps.
   async Set1(functions, row) {
      const cases = [];
      for (const d of context.getNode("S").x3dNode.getFieldDefinitions())
         if (/^[ix]MF/.test(d.name))
            cases.push({ t: target({ path: "S", field: d.name }), f: { name: "field " + d.name } });
      for (const f of functions.filter((f) => f.name.startsWith("Set_") && f.params.startsWith("i,")))
         cases.push({ t: target(f), f: f, generated: true });
      for (const c of cases) {
         c.before = sample(c.t.type, 1);
         if (c.t.access === inputOutput)
            c.t.x3dNode[c.t.name] = c.before;
      }
      await frames();
      for (const c of cases) {
         const { t, f } = c;
         const single = "SF" + t.type.slice(2);
         c.element = sample(t.type, 3)[1];
         const empty = single === "SFNode" ? null : new X3D[single]().valueOf(); // the library's are zeros
         const start = t.access === inputOutput ? Array.from(c.before) : [typeof empty === "number" ? 0 : empty];
         c.expected = new X3D[t.type](...start.slice(0, 1), c.element, ...start.slice(2));
         try {
            if (c.generated)
               window[f.name](1, ...Array.from(c.element));
            else
               (c.field = context.getNode("S").getField(t.name)).set1Value(1, toPlain(t.type, c.element));
         } catch (e) {
            c.error = e.message;
         }
      }
      await frames();
      for (const { t, f, field, element, expected, error } of cases) {
         const value = t.x3dNode[t.readBack];
         let result = error || (same(value, expected) ? "works" : "reads back " + value + ", not " + expected);
         if (field && result === "works") {
            const got = field.get1Value(1);
            if (t.type === "MFNode" ? !same(element, got) : JSON.stringify(got) !== JSON.stringify(toPlain(t.type, element)))
               result = "get1Value(1) gives " + JSON.stringify(got);
            try {
               const past = field.get1Value(9);
               if (t.access === inputOutput)
                  result = "no RangeError past the end";
               else if (past === undefined)
                  result = "no default element past the end";
            } catch (e) {
               if (t.access !== inputOutput || !(e instanceof RangeError))
                  result = e.message;
            }
         }
         row(t, f, result);
      }
   },
};

// The element in the form the generated code hands to set1Value.
function toPlain(type, element) {
   const names = { SFColor: "rgb", SFColorRGBA: "rgba", SFRotation: "xyza", SFVec2f: "xy", SFVec2d: "xy",
                   SFVec3f: "xyz", SFVec3d: "xyz" }["SF" + type.slice(2)];
   if (type === "MFImage")
      return { width: element.width, height: element.height, comp: element.comp, array: Array.from(element.array) };
   if (!names)
      return element;
   const plain = {};
   Array.from(element).forEach((v, k) => (plain[names[k]] = v));
   return plain;
}

async function hostChecks(kind, script) {
   const rows = [];
   const row = (t, f, result) => rows.push([t.type, accessNames[t.access], f.name, result]);
   try {
      await checks[kind](generated(script), row, script);
   } catch (e) {
      rows.push(["", "", kind, "stopped: " + e.message]);
   }
   window.hostRows = JSON.stringify(rows);
}
