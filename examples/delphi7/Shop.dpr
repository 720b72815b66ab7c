program Shop;

uses
  Forms,
  Main in 'Main.pas' {frmMain},
  Address in 'Address.pas' {fraAddress: TFrame};

{$R *.res}

begin
  Application.Initialize;
  Application.CreateForm(TfrmMain, frmMain);
  Application.Run;
end.
